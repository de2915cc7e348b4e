// Reading the resource script's sections into their tables (see resscript.h).
#include "resscript.h"

#include "resfields.h"

#include <QFile>
#include <QtGlobal>

#include <cstdlib>
#include <sstream>

namespace {

using resscript::Field;
using resscript::FieldValue;
using resscript::SplitFields;

class Parser {
public:
    AfxResourceScript Run(const std::string& text);

private:
    enum Section { kNone, kSkip, kStrings, kMenu, kAccel, kToolBar, kDialog, kVersion };

    void Error(const std::string& what)
    {
        m_rs.errors.push_back("line " + std::to_string(m_nLine) + ": " + what);
    }
    // The value of fields[i], or an error; nullptr-free callers check the bool.
    bool Value(const std::vector<Field>& fields, size_t i, long& value)
    {
        if (i < fields.size() && FieldValue(fields[i], value))
            return true;
        Error("expected a number or a named value");
        return false;
    }
    bool Text(const std::vector<Field>& fields, size_t i, std::string& text)
    {
        if (i < fields.size() && fields[i].bString) {
            text = fields[i].text;
            return true;
        }
        Error("expected a quoted text");
        return false;
    }

    void BeginSection(const std::string& word, const std::vector<Field>& fields);
    void SectionLine(const std::string& word, const std::vector<Field>& fields);
    void ControlLine(const std::vector<Field>& fields);
    void VersionLine(const std::string& word, const std::vector<Field>& fields);

    AfxResourceScript m_rs;
    int m_nLine = 0;
    Section m_section = kNone;
    UINT m_nID = 0;
    int m_menuDepth = 0;
};

void Parser::BeginSection(const std::string& word, const std::vector<Field>& fields)
{
    long id = 0;
    if (word == "STRINGTABLE") {
        m_section = kStrings;
        return;
    }
    if (word == "BITMAP" || word == "ICON" || word == "CURSOR") {
        std::string file;
        if (!Value(fields, 1, id) || !Text(fields, 2, file))
            return;
        auto& files = word == "BITMAP" ? m_rs.bitmapFiles
                      : word == "ICON" ? m_rs.iconFiles
                                       : m_rs.cursorFiles;
        files[static_cast<UINT>(id)] = file;
        return;
    }
    if (word == "END") {
        Error("END without a section");
        return;
    }
    // A section whose header can't be read is skipped up to its END.
    m_section = kSkip;
    if (!Value(fields, 1, id))
        return;
    m_nID = static_cast<UINT>(id);
    if (word == "MENU") {
        m_section = kMenu;
        m_rs.menus[m_nID].clear();
        m_menuDepth = 0;
    } else if (word == "ACCELERATORS") {
        m_section = kAccel;
        m_rs.accels[m_nID].clear();
    } else if (word == "TOOLBAR") {
        long cx = 0, cy = 0;
        if (!Value(fields, 2, cx) || !Value(fields, 3, cy))
            return;
        m_section = kToolBar;
        m_rs.toolBarItems[m_nID].clear();
        m_rs.toolBarSizes[m_nID] = {static_cast<WORD>(cx), static_cast<WORD>(cy)};
    } else if (word == "DIALOG") {
        AfxDialogTemplate t;
        long v[4] = {};
        for (int i = 0; i < 4; ++i) {
            if (!Value(fields, 2 + i, v[i]))
                return;
        }
        t.x = static_cast<short>(v[0]);
        t.y = static_cast<short>(v[1]);
        t.cx = static_cast<short>(v[2]);
        t.cy = static_cast<short>(v[3]);
        m_section = kDialog;
        m_rs.dialogs[m_nID] = m_rs.dialogTemplates.size();
        m_rs.dialogTemplates.push_back(t);
    } else if (word == "VERSIONINFO") {
        m_section = kVersion;
        m_rs.versions[m_nID] = m_rs.versionInfos.size();
        m_rs.versionInfos.push_back(AfxVersionInfo());
    } else {
        Error("unknown section " + word);
    }
}

void Parser::ControlLine(const std::vector<Field>& fields)
{
    // CONTROL text, id, class, style, x, y, cx, cy [, extended style]
    AfxDlgItemTemplate item;
    long v = 0;
    if (fields.size() < 9) {
        Error("a control needs text, id, class, style, x, y, cx, cy");
        return;
    }
    if (fields[1].bString) {
        item.text = fields[1].text;
    } else if (Value(fields, 1, v)) {
        item.nTextResource = static_cast<int>(v);
    } else {
        return;
    }
    if (!Value(fields, 2, v))
        return;
    item.id = static_cast<int>(v);
    if (!Text(fields, 3, item.className))
        return;
    if (!Value(fields, 4, v))
        return;
    item.style = static_cast<DWORD>(v);
    short* geometry[] = {&item.x, &item.y, &item.cx, &item.cy};
    for (int i = 0; i < 4; ++i) {
        if (!Value(fields, 5 + i, v))
            return;
        *geometry[i] = static_cast<short>(v);
    }
    if (fields.size() > 9) {
        if (!Value(fields, 9, v))
            return;
        item.dwExtendedStyle = static_cast<DWORD>(v);
    }
    m_rs.dialogTemplates.back().items.push_back(item);
}

void Parser::VersionLine(const std::string& word, const std::vector<Field>& fields)
{
    AfxVersionInfo& info = m_rs.versionInfos.back();
    long v[4] = {};
    if (word == "FILEVERSION" || word == "PRODUCTVERSION") {
        for (int i = 0; i < 4; ++i) {
            if (!Value(fields, 1 + i, v[i]))
                return;
        }
        DWORD ms = static_cast<DWORD>(v[0] << 16 | (v[1] & 0xFFFF));
        DWORD ls = static_cast<DWORD>(v[2] << 16 | (v[3] & 0xFFFF));
        if (word == "FILEVERSION") {
            info.dwFileVersionMS = ms;
            info.dwFileVersionLS = ls;
        } else {
            info.dwProductVersionMS = ms;
            info.dwProductVersionLS = ls;
        }
        return;
    }
    struct {
        const char* name;
        DWORD* field;
    } numbers[] = {
        {"FILEFLAGSMASK", &info.dwFileFlagsMask}, {"FILEFLAGS", &info.dwFileFlags},
        {"FILEOS", &info.dwFileOS},               {"FILETYPE", &info.dwFileType},
        {"FILESUBTYPE", &info.dwFileSubtype},     {"FILEDATEMS", &info.dwFileDateMS},
        {"FILEDATELS", &info.dwFileDateLS},
    };
    for (auto& n : numbers) {
        if (word == n.name) {
            if (Value(fields, 1, v[0]))
                *n.field = static_cast<DWORD>(v[0]);
            return;
        }
    }
    if (word == "BLOCK") {
        Text(fields, 1, info.block);
    } else if (word == "VALUE") {
        std::string key, value;
        if (Text(fields, 1, key) && Text(fields, 2, value))
            info.strings.emplace_back(key, value);
    } else if (word == "TRANSLATION") {
        if (Value(fields, 1, v[0]) && Value(fields, 2, v[1])) {
            info.wLanguage = static_cast<WORD>(v[0]);
            info.wCodePage = static_cast<WORD>(v[1]);
        }
    } else {
        Error("unknown version entry " + word);
    }
}

void Parser::SectionLine(const std::string& word, const std::vector<Field>& fields)
{
    long v = 0;
    switch (m_section) {
    case kStrings: {
        std::string text;
        if (Value(fields, 0, v) && Text(fields, 1, text))
            m_rs.strings[static_cast<UINT>(v)] = text;
        break;
    }
    case kMenu: {
        std::vector<AfxMenuPopup>& menu = m_rs.menus[m_nID];
        if (word == "POPUP") {
            AfxMenuPopup popup;
            if (Text(fields, 1, popup.text)) {
                menu.push_back(popup);
                ++m_menuDepth;
            }
        } else if (menu.empty() || m_menuDepth == 0) {
            Error("menu item outside a pop-up");
        } else if (word == "SEPARATOR") {
            menu.back().items.push_back(AfxMenuItem());
        } else if (word == "MENUITEM") {
            AfxMenuItem item;
            if (!Value(fields, 1, v) || !Text(fields, 2, item.text))
                break;
            item.nID = static_cast<UINT>(v);
            for (size_t i = 3; i < fields.size(); ++i) {
                if (!fields[i].bString && fields[i].words.size() == 1 &&
                    fields[i].words[0] == "GRAYED")
                    item.bGrayed = true;
                else
                    Error("unknown menu item option");
            }
            menu.back().items.push_back(item);
        } else {
            Error("unknown menu entry " + word);
        }
        break;
    }
    case kAccel: {
        long key = 0, flags = 0, cmd = 0;
        if (!Value(fields, 0, key) || !Value(fields, 1, flags) || !Value(fields, 2, cmd))
            break;
        AfxAccel a;
        a.key = static_cast<WORD>(key);
        a.fVirt = static_cast<BYTE>(flags);
        a.cmd = static_cast<WORD>(cmd);
        m_rs.accels[m_nID].push_back(a);
        break;
    }
    case kToolBar:
        if (word == "SEPARATOR")
            m_rs.toolBarItems[m_nID].push_back(ID_SEPARATOR);
        else if (word == "BUTTON" && Value(fields, 1, v))
            m_rs.toolBarItems[m_nID].push_back(static_cast<UINT>(v));
        else if (word != "BUTTON")
            Error("unknown tool bar entry " + word);
        break;
    case kDialog: {
        AfxDialogTemplate& t = m_rs.dialogTemplates.back();
        if (word == "STYLE") {
            if (Value(fields, 1, v))
                t.style = static_cast<DWORD>(v);
        } else if (word == "EXSTYLE") {
            if (Value(fields, 1, v))
                t.dwExtendedStyle = static_cast<DWORD>(v);
        } else if (word == "CAPTION") {
            Text(fields, 1, t.caption);
        } else if (word == "FONT") {
            if (Value(fields, 1, v) && Text(fields, 2, t.faceName))
                t.wPointSize = static_cast<WORD>(v);
        } else if (word == "CONTROL") {
            ControlLine(fields);
        } else {
            Error("unknown dialog entry " + word);
        }
        break;
    }
    case kVersion:
        VersionLine(word, fields);
        break;
    case kNone:
    case kSkip:
        break;
    }
}

AfxResourceScript Parser::Run(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ++m_nLine;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::vector<Field> fields;
        if (!SplitFields(line, fields) || fields.empty()) {
            Error("unreadable line");
            continue;
        }
        std::string word = fields[0].bString || fields[0].words.size() != 1
                               ? std::string()
                               : fields[0].words[0];
        if (m_section == kNone) {
            BeginSection(word, fields);
            continue;
        }
        if (word == "END") {
            if (m_section == kMenu && m_menuDepth > 0)
                --m_menuDepth;
            else
                m_section = kNone;
            continue;
        }
        SectionLine(word, fields);
    }
    if (m_section != kNone)
        Error("section not ended");
    return m_rs;
}

}  // namespace

AfxResourceScript AfxParseResourceScript(const std::string& text)
{
    return Parser().Run(text);
}

std::string AfxReadResourceFile(const std::string& name)
{
    QFile f(QStringLiteral(":/ruvok/") + QString::fromStdString(name));
    if (!f.open(QIODevice::ReadOnly))
        return std::string();
    return f.readAll().toStdString();
}

const AfxResourceScript& AfxGetResourceScript()
{
    static const AfxResourceScript rs = [] {
        const std::string text = AfxReadResourceFile("ruvok.res.txt");
        // A program that links the framework without the resources would
        // show empty texts everywhere: say so on the console once.
        if (text.empty())
            qWarning("ruvok: the resource script :/ruvok/ruvok.res.txt is not linked in");
        AfxResourceScript script = AfxParseResourceScript(text);
        for (const std::string& error : script.errors)
            qWarning("ruvok.res.txt, %s", error.c_str());
        return script;
    }();
    return rs;
}
