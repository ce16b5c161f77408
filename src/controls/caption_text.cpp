#include "controls/caption_text.h"

namespace quadrel {

void CaptionText::setLargeNumber(int n) {
    char digits[12];
    char* end = digits + sizeof digits;
    char* p = end;
    unsigned magnitude = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0) *--p = '-';
    assign(std::string_view(p, static_cast<std::size_t>(end - p)));
}

}  // namespace quadrel
