// The resource script's lines as fields: quoted texts with their escapes,
// and expressions of style and id names and numbers joined by "|".
#include "resfields.h"

#include "styles.h"

#include <cstdint>
#include <cstdlib>

namespace resscript {
namespace {

// Names a script may use in style and id expressions.
struct NamedValue {
    const char* name;
    DWORD value;
};
constexpr NamedValue kNames[] = {
    {"WS_POPUP", WS_POPUP},
    {"WS_CHILD", WS_CHILD},
    {"WS_VISIBLE", WS_VISIBLE},
    {"WS_CAPTION", WS_CAPTION},
    {"WS_BORDER", WS_BORDER},
    {"WS_VSCROLL", WS_VSCROLL},
    {"WS_HSCROLL", WS_HSCROLL},
    {"WS_SYSMENU", WS_SYSMENU},
    {"WS_GROUP", WS_GROUP},
    {"WS_TABSTOP", WS_TABSTOP},
    {"DS_3DLOOK", DS_3DLOOK},
    {"DS_SETFONT", DS_SETFONT},
    {"DS_MODALFRAME", DS_MODALFRAME},
    {"SS_LEFT", SS_LEFT},
    {"SS_CENTER", SS_CENTER},
    {"SS_RIGHT", SS_RIGHT},
    {"SS_ICON", SS_ICON},
    {"SS_NOPREFIX", SS_NOPREFIX},
    {"BS_PUSHBUTTON", BS_PUSHBUTTON},
    {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
    {"BS_GROUPBOX", BS_GROUPBOX},
    {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
    {"LBS_NOTIFY", LBS_NOTIFY},
    {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
    {"IDOK", static_cast<DWORD>(IDOK)},
    {"IDCANCEL", static_cast<DWORD>(IDCANCEL)},
    {"ID_HELP", ID_HELP},
    {"IDC_STATIC", static_cast<DWORD>(-1)},
};

struct Token {
    enum Kind { kWord, kString, kBar } kind;
    std::string text;
};

bool Tokenize(const std::string& line, std::vector<Token>& tokens)
{
    size_t pos = 0;
    while (pos < line.size()) {
        char c = line[pos];
        if (c == ' ' || c == '\t' || c == '\r' || c == ',') {
            ++pos;
        } else if (c == '|') {
            tokens.push_back({Token::kBar, std::string()});
            ++pos;
        } else if (c == '"') {
            std::string out;
            for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
                char ch = line[pos];
                if (ch == '\\' && pos + 1 < line.size()) {
                    char e = line[++pos];
                    ch = e == 'n' ? '\n' : e == 't' ? '\t' : e;
                }
                out += ch;
            }
            if (pos >= line.size())
                return false;  // unterminated
            ++pos;
            tokens.push_back({Token::kString, out});
        } else {
            size_t end = line.find_first_of(" \t\r,|\"", pos);
            if (end == std::string::npos)
                end = line.size();
            tokens.push_back({Token::kWord, line.substr(pos, end - pos)});
            pos = end;
        }
    }
    return true;
}

}  // namespace

bool SplitFields(const std::string& line, std::vector<Field>& fields)
{
    std::vector<Token> tokens;
    if (!Tokenize(line, tokens))
        return false;
    bool joinNext = false;
    for (const Token& t : tokens) {
        if (t.kind == Token::kBar) {
            if (fields.empty() || fields.back().bString)
                return false;
            joinNext = true;
            continue;
        }
        if (t.kind == Token::kString) {
            if (joinNext)
                return false;
            Field f;
            f.bString = true;
            f.text = t.text;
            fields.push_back(f);
            continue;
        }
        if (joinNext) {
            fields.back().words.push_back(t.text);
            joinNext = false;
        } else {
            Field f;
            f.words.push_back(t.text);
            fields.push_back(f);
        }
    }
    return !joinNext;
}

bool WordValue(const std::string& word, long& value)
{
    for (const NamedValue& n : kNames) {
        if (word == n.name) {
            value = static_cast<long>(static_cast<int32_t>(n.value));
            return true;
        }
    }
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 0);
    if (end != word.c_str() && *end == '\0')
        return true;
    // Values above LONG_MAX on 32-bit longs, such as 0x80000000.
    value = static_cast<long>(std::strtoul(word.c_str(), &end, 0));
    return end != word.c_str() && *end == '\0';
}

bool FieldValue(const Field& f, long& value)
{
    if (f.bString || f.words.empty())
        return false;
    value = 0;
    for (const std::string& w : f.words) {
        long v = 0;
        if (!WordValue(w, v))
            return false;
        value |= v;
    }
    return true;
}

}  // namespace resscript
