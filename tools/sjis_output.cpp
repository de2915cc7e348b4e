#include "sjis_output.h"

#include "kanjicode_length.h"

bool ConvertWholeText(const char* text, size_t length, ByteBuffer& out, size_t* converted) {
    if (!out.Reserve(2 * length + 1)) return false;
    *converted = ConvertToSjisLength(out.data(), text, length);
    return true;
}
