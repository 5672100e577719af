#pragma once

namespace axistune {

// Receives the ticker's beat every 250 ms.
class iHeartBeatListener {
  public:
    virtual void Beat() = 0;
    virtual ~iHeartBeatListener() = default;
};

}  // namespace axistune
