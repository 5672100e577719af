#include "core/firmware_text.h"

#include "text/text.h"

namespace axistune {

void FormatFirmwareText(uint32_t version, char (&text)[kFirmwareTextSize]) {
    text[0] = '\0';
    uint32_t end = TextAppend(text, kFirmwareTextSize, 0, "Firmware version: ");
    for (int shift = 24; shift >= 0; shift -= 8) {
        end = TextAppendDecimal(text, kFirmwareTextSize, end,
                                static_cast<int32_t>((version >> shift) & 0xFFu));
        if (shift != 0) {
            end = TextAppend(text, kFirmwareTextSize, end, ".");
        }
    }
}

}  // namespace axistune
