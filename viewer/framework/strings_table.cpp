#include "strings_table.h"

#include <QFile>

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

struct ResourceScript {
    std::map<UINT, std::string> strings;
    std::map<UINT, std::vector<AfxMenuPopup>> menus;
    std::map<UINT, std::vector<AfxAccel>> accels;
};

// Reads one quoted text starting at `pos` (on the opening quote) and leaves
// `pos` after the closing quote.
std::string ParseQuoted(const std::string& line, size_t& pos)
{
    std::string out;
    if (pos >= line.size() || line[pos] != '"')
        return out;
    for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            char e = line[++pos];
            c = e == 'n' ? '\n' : e == 't' ? '\t' : e;
        }
        out += c;
    }
    if (pos < line.size())
        ++pos;
    return out;
}

UINT ParseNumber(std::istringstream& in)
{
    std::string word;
    in >> word;
    return static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 0));
}

ResourceScript Parse(const std::string& text)
{
    ResourceScript rs;
    enum { kNone, kStrings, kMenu, kAccel } section = kNone;
    std::vector<AfxMenuPopup>* menu = nullptr;
    std::vector<AfxAccel>* accel = nullptr;
    int depth = 0;

    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::istringstream in(line.substr(first));
        std::string word;
        in >> word;
        if (section == kNone) {
            if (word == "STRINGTABLE") {
                section = kStrings;
            } else if (word == "MENU") {
                section = kMenu;
                menu = &rs.menus[ParseNumber(in)];
                depth = 0;
            } else if (word == "ACCELERATORS") {
                section = kAccel;
                accel = &rs.accels[ParseNumber(in)];
            }
            continue;
        }
        if (word == "END") {
            if (section == kMenu && depth > 0)
                --depth;
            else
                section = kNone;
            continue;
        }
        if (section == kStrings) {
            UINT id = static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 0));
            size_t q = line.find('"');
            if (q != std::string::npos)
                rs.strings[id] = ParseQuoted(line, q);
        } else if (section == kMenu) {
            if (word == "POPUP") {
                size_t q = line.find('"');
                AfxMenuPopup popup;
                if (q != std::string::npos)
                    popup.text = ParseQuoted(line, q);
                menu->push_back(popup);
                ++depth;
            } else if (word == "SEPARATOR" && !menu->empty()) {
                menu->back().items.push_back(AfxMenuItem());
            } else if (word == "MENUITEM" && !menu->empty()) {
                AfxMenuItem item;
                item.nID = ParseNumber(in);
                size_t q = line.find('"');
                if (q != std::string::npos) {
                    item.text = ParseQuoted(line, q);
                    item.bGrayed = line.find("GRAYED", q) != std::string::npos;
                }
                menu->back().items.push_back(item);
            }
        } else if (section == kAccel) {
            AfxAccel a;
            a.key = static_cast<WORD>(std::strtoul(word.c_str(), nullptr, 0));
            a.fVirt = static_cast<BYTE>(ParseNumber(in));
            a.cmd = static_cast<WORD>(ParseNumber(in));
            accel->push_back(a);
        }
    }
    return rs;
}

const ResourceScript& Script()
{
    static const ResourceScript rs = [] {
        QFile f(QStringLiteral(":/ruvok/ruvok.res.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return ResourceScript();
        return Parse(f.readAll().toStdString());
    }();
    return rs;
}

}  // namespace

BOOL AfxLoadString(UINT nID, std::string& rString)
{
    const auto& strings = Script().strings;
    auto it = strings.find(nID);
    if (it == strings.end()) {
        rString.clear();
        return FALSE;
    }
    rString = it->second;
    return TRUE;
}

std::string AfxLoadString(UINT nID)
{
    std::string s;
    AfxLoadString(nID, s);
    return s;
}

BOOL AfxExtractSubString(std::string& rString, const std::string& full, int iSubString,
                         char chSep)
{
    size_t start = 0;
    for (int i = 0; i < iSubString; ++i) {
        size_t sep = full.find(chSep, start);
        if (sep == std::string::npos) {
            rString.clear();
            return FALSE;
        }
        start = sep + 1;
    }
    size_t end = full.find(chSep, start);
    rString = full.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return TRUE;
}

std::string AfxFormatText1(const std::string& format, const std::string& lpsz1)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '1') {
            out += lpsz1;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::string AfxFormatString1(UINT nIDS, const std::string& lpsz1)
{
    return AfxFormatText1(AfxLoadString(nIDS), lpsz1);
}

const std::vector<AfxMenuPopup>& AfxLoadMenu(UINT nID)
{
    static const std::vector<AfxMenuPopup> none;
    const auto& menus = Script().menus;
    auto it = menus.find(nID);
    return it == menus.end() ? none : it->second;
}

const std::vector<AfxAccel>& AfxLoadAccelerators(UINT nID)
{
    static const std::vector<AfxAccel> none;
    const auto& accels = Script().accels;
    auto it = accels.find(nID);
    return it == accels.end() ? none : it->second;
}
