#include "control/WholeNumber.h"

#include <charconv>

int32_t WholeNumberOr(std::string_view text, int32_t def) {
    if (text.starts_with('+'))
        text.remove_prefix(1);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() ? value : def;
}
