// The string table, menus and accelerator tables by id (see strings_table.h).
#include "strings_table.h"

#include "resscript.h"

namespace {

const AfxResourceScript& Script()
{
    return AfxGetResourceScript();
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
