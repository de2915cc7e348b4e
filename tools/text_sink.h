// The one thing both of ruvok-conv's converters write to: the legacy codes'
// stream and the Unicode reader hand their Shift_JIS bytes to a sink.
#ifndef RUVOK_TOOLS_TEXT_SINK_H
#define RUVOK_TOOLS_TEXT_SINK_H

#include <cstddef>

// Where the converted text goes.
class TextSink {
public:
    virtual ~TextSink() = default;
    // Returns 0 or the errno value of a failed write.
    virtual int Put(const char* data, size_t size) = 0;
};

#endif
