// One line of the resource script as its fields (see resfields.cpp): what
// the parser in resscript.cpp reads each section's lines with.
#ifndef RUVOK_RESFIELDS_H
#define RUVOK_RESFIELDS_H

#include <string>
#include <vector>

namespace resscript {

// One line's fields: quoted texts, and words joined by "|" into expressions.
// Commas and blanks separate fields.
struct Field {
    bool bString = false;
    std::string text;                // the quoted text
    std::vector<std::string> words;  // the expression's words, to be OR'd
};

// Splits line into its fields; false for a quoted text left open or a "|"
// with nothing to join.
bool SplitFields(const std::string& line, std::vector<Field>& fields);
// The value of a name the script may use (WS_CHILD, IDOK, ...) or of a
// number, decimal or 0x hex; false for anything else.
bool WordValue(const std::string& word, long& value);
// A field's expression: its words' values OR'd; false for a quoted text or
// a word without a value.
bool FieldValue(const Field& f, long& value);

}  // namespace resscript

#endif
