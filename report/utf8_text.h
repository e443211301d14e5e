#pragma once

#include <string_view>

namespace nimbra {

// Calls `emit` with each code point of UTF-8 `text`; a malformed byte (a stray
// continuation, an overlong form, a surrogate, a cut-off sequence) gives U+FFFD.
template <typename Emit>
void forEachCodePoint(std::string_view text, Emit&& emit) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            emit(static_cast<char32_t>(lead));
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 && lead < 0xF5 ? 4
                           : lead >= 0xE0              ? 3
                           : lead >= 0xC2              ? 2
                                                       : 0;
        char32_t c = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
        bool good = length > 0 && i + static_cast<std::size_t>(length) <= size;
        for (int k = 1; good && k < length; ++k) {
            const unsigned char next = bytes[i + static_cast<std::size_t>(k)];
            good = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3Fu);
        }
        good = good && !(length == 3 && c < 0x800) && !(length == 4 && c < 0x10000) &&
               !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
        emit(good ? c : U'\uFFFD');
        i += good ? static_cast<std::size_t>(length) : 1;
    }
}

}  // namespace nimbra
