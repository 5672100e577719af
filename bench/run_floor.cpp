#include "bench/run_floor.h"

#include "bench/handshake_floor.h"

namespace bench {

RunFloor FloorOfRun(const std::vector<Exchange>& exchanges, double charNs) {
    RunFloor floor;
    size_t i = 0;
    while (i < exchanges.size()) {
        const size_t end = HandshakeEnd(exchanges, i);
        if (end > i) {
            const std::vector<Exchange> handshake(exchanges.begin() + static_cast<long>(i),
                                                  exchanges.begin() + static_cast<long>(end));
            floor.leastNs += LeastHandshakeNs(handshake, charNs);
            floor.onItsTicksNs += HandshakeOnItsTicksNs(handshake, charNs);
            floor.nominalNs += static_cast<double>(NominalFloorNs(handshake, charNs));
            floor.firstDelaysNs.push_back(FirstDelayNs(handshake));
            floor.spacingsNs.push_back(SpacingNs(handshake));
            ++floor.handshakes;
            i = end;
            continue;
        }
        if (floor.handshakes == 0) {
            return floor;
        }
        const double line = LineNs(exchanges[i], charNs);
        floor.leastNs += line;
        floor.onItsTicksNs += line;
        floor.nominalNs += line;
        ++floor.otherFrames;
        floor.otherAnswers += exchanges[i].replyBytes > 0 ? 1 : 0;
        ++i;
    }
    floor.ok = floor.handshakes > 0;
    return floor;
}

}  // namespace bench
