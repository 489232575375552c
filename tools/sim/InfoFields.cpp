#include "tools/sim/InfoFields.h"

#include "base/funcUnit.h"
#include "tools/sim/YdtFrame.h"

#include <algorithm>
#include <cmath>

namespace {

std::string Encode(TInfoKind kind, double value) {
    switch (kind) {
    case TInfoKind::Byte:
        return ByteToHex2(static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 255L)));
    case TInfoKind::Word:
        return WordToHex4(static_cast<uint32_t>(std::clamp(std::lround(value), 0L, 65535L)));
    case TInfoKind::Single:
        return SingleToHex8(static_cast<float>(value));
    }
    return {};
}

} // namespace

void PutInfo(std::string& info, int pos, const std::string& text) {
    const auto at = static_cast<std::size_t>(pos - InfoStart);
    if (pos < InfoStart || at >= info.size()) {
        return;
    }
    info.replace(at, std::min(text.size(), info.size() - at), text.substr(0, info.size() - at));
}

std::string BuildInfo(const TSimUnit& unit, std::span<const TInfoField> fields,
                      std::size_t length) {
    std::string info(length, '0');
    for (const TInfoField& f : fields) {
        PutInfo(info, f.Pos, Encode(f.Kind, f.Value(unit) * f.Scale));
    }
    return info;
}
