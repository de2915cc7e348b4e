// The framework's core: basic Windows types, the object and runtime class
// records, command targets with their message maps, and the identifiers of the
// standard commands and the framework's strings.
//
// Strings the framework passes as LPCTSTR (paths, titles) are in the local
// 8-bit encoding of the platform: UTF-8 on Linux, the ANSI code page on
// Windows. The edit control's text is always code page 932.
#ifndef RUVOK_AFX_H
#define RUVOK_AFX_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// ---------------------------------------------------------------------------
// Basic types

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef std::uintptr_t UINT_PTR;

typedef void* HANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HINSTANCE;

typedef char TCHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;

// ---------------------------------------------------------------------------
// Window messages and notification codes the framework delivers

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_COMMAND = 0x0111;
// A child asks its frame to show a prompt in the message pane: wParam the
// string's id (AFX_IDS_IDLEMESSAGE for the idle text), or lParam the text
// itself (an LPCTSTR) when it is not 0.
constexpr UINT WM_SETMESSAGESTRING = 0x0362;
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_UNDO = 0x0304;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

// Command notification codes for CCmdTarget::OnCmdMsg.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// WM_COMMAND carries the command or control id in its low word and, from a
// control, the notification code in its high word (0 from a menu, 1 from an
// accelerator), with the control's window in lParam.
constexpr WPARAM AfxCommandWParam(UINT nID, UINT nCode)
{
    return static_cast<WPARAM>((nID & 0xFFFF) | ((nCode & 0xFFFF) << 16));
}
// The edit control's text changed by the user's doing.
constexpr UINT EN_CHANGE = 0x0300;

// ---------------------------------------------------------------------------
// Message boxes

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFMASK = 0x00000F00;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ---------------------------------------------------------------------------
// Resource identifiers

constexpr UINT ID_SEPARATOR = 0;
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDR_TEXTTYPE = 129;

// Standard commands.
constexpr UINT ID_FILE_NEW = 0xE100;
constexpr UINT ID_FILE_OPEN = 0xE101;
constexpr UINT ID_FILE_CLOSE = 0xE102;
constexpr UINT ID_FILE_SAVE = 0xE103;
constexpr UINT ID_FILE_SAVE_AS = 0xE104;
constexpr UINT ID_FILE_PAGE_SETUP = 0xE105;
constexpr UINT ID_FILE_PRINT_SETUP = 0xE106;
constexpr UINT ID_FILE_PRINT = 0xE107;
constexpr UINT ID_FILE_PRINT_DIRECT = 0xE108;
constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
constexpr UINT ID_FILE_MRU_FILE16 = 0xE11F;
constexpr UINT ID_EDIT_CLEAR = 0xE120;
constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
constexpr UINT ID_EDIT_COPY = 0xE122;
constexpr UINT ID_EDIT_CUT = 0xE123;
constexpr UINT ID_EDIT_FIND = 0xE124;
constexpr UINT ID_EDIT_PASTE = 0xE125;
constexpr UINT ID_EDIT_REPEAT = 0xE128;
constexpr UINT ID_EDIT_REPLACE = 0xE129;
constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
constexpr UINT ID_EDIT_UNDO = 0xE12B;
constexpr UINT ID_EDIT_REDO = 0xE12C;
constexpr UINT ID_WINDOW_SPLIT = 0xE135;
constexpr UINT ID_APP_ABOUT = 0xE140;
constexpr UINT ID_APP_EXIT = 0xE141;
constexpr UINT ID_HELP = 0xE146;
constexpr UINT ID_NEXT_PANE = 0xE150;
constexpr UINT ID_PREV_PANE = 0xE151;

// Status-bar indicators.
constexpr UINT ID_INDICATOR_EXT = 0xE700;
constexpr UINT ID_INDICATOR_CAPS = 0xE701;
constexpr UINT ID_INDICATOR_NUM = 0xE702;
constexpr UINT ID_INDICATOR_SCRL = 0xE703;
constexpr UINT ID_INDICATOR_OVR = 0xE704;
constexpr UINT ID_INDICATOR_REC = 0xE705;
constexpr UINT ID_INDICATOR_KANA = 0xE706;

// Control bars; the bar's child id is also the View command that toggles it.
constexpr UINT ID_VIEW_TOOLBAR = 0xE800;
constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
// The frame's four docking sides, and floating.
constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;
constexpr UINT AFX_IDW_DOCKBAR_FLOAT = 0xE81F;
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// Strings of the application and the framework.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
constexpr UINT AFX_IDS_OPENFILE = 0xF000;
constexpr UINT AFX_IDS_SAVEFILE = 0xF001;
constexpr UINT AFX_IDS_ALLFILTER = 0xF002;
constexpr UINT AFX_IDS_UNTITLED = 0xF003;
constexpr UINT AFX_IDS_PREVIEW_CLOSE = 0xF005;
constexpr UINT AFX_IDS_UNNAMED_FILE = 0xF006;
constexpr UINT AFX_IDS_HIDE = 0xF011;
constexpr UINT AFX_IDS_NO_MESSAGE = 0xF020;
constexpr UINT AFX_IDS_UNSUPPORTED = 0xF021;
constexpr UINT AFX_IDS_RESOURCE_FAILURE = 0xF022;
constexpr UINT AFX_IDS_MEMORY_EXCEPTION = 0xF023;
constexpr UINT AFX_IDS_GENERIC_EXCEPTION = 0xF024;
constexpr UINT AFX_IDP_INVALID_FILENAME = 0xF100;
constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101;
constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102;
constexpr UINT AFX_IDP_ASK_TO_SAVE = 0xF103;
constexpr UINT AFX_IDP_FAILED_TO_CREATE_DOC = 0xF104;
constexpr UINT AFX_IDP_FILE_TOO_LARGE = 0xF105;
constexpr UINT AFX_IDP_FAILED_TO_START_PRINT = 0xF106;
constexpr UINT AFX_IDP_INTERNAL_FAILURE = 0xF108;
constexpr UINT AFX_IDP_COMMAND_FAILURE = 0xF109;
constexpr UINT AFX_IDP_FAILED_MEMORY_ALLOC = 0xF10A;
constexpr UINT AFX_IDP_UNREG_DONE = 0xF10B;
constexpr UINT AFX_IDP_UNREG_FAILURE = 0xF10C;
constexpr UINT AFX_IDP_FAILED_INVALID_FORMAT = 0xF120;
constexpr UINT AFX_IDP_FILE_NONE = 0xF1A0;  // + CFileException cause 0..14
constexpr UINT AFX_IDP_ARCH_NONE = 0xF1B0;  // + CArchiveException cause 0..7

// ---------------------------------------------------------------------------
// Objects and runtime class records

class CObject;
class CArchive;
class CCmdUI;
class QMenu;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF: not used for versioned serialisation
    CObject* (*m_pfnCreateObject)();
    CRuntimeClass* (*m_pfnGetBaseClass)();

    // NULL when the class is not dynamically creatable.
    CObject* CreateObject() const;
    CRuntimeClass* GetBaseClass() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static CRuntimeClass classCObject;
    static CRuntimeClass* _GetBaseClass() { return nullptr; }

protected:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                          \
public:                                                      \
    static CRuntimeClass class##class_name;                  \
    static CRuntimeClass* _GetBaseClass();                   \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, pfnNew)  \
    CRuntimeClass* class_name::_GetBaseClass() { return RUNTIME_CLASS(base_class_name); } \
    CRuntimeClass class_name::class##class_name = {                              \
        #class_name, static_cast<int>(sizeof(class_name)), schema, pfnNew,       \
        &class_name::_GetBaseClass};                                             \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                    \
    CObject* class_name::CreateObject() { return new class_name; }          \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF,         \
                               &class_name::CreateObject)

// ---------------------------------------------------------------------------
// Message maps and command routing
//
// A message map is a table of entries per class; lookup walks the class's own
// entries first, then its base class's, and so on up to CCmdTarget.

class CCmdTarget;

// Handler signatures, as the entries note them.
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,      // void ()             : commands, WM_PAINT, ...
    AfxSig_vcmdui,  // void (CCmdUI*)      : command enabling
    AfxSig_vw,      // void (UINT nID)     : command ranges
    AfxSig_is,      // int (LPCREATESTRUCT): WM_CREATE
    AfxSig_lwl,     // LRESULT (WPARAM, LPARAM): any other message
};

// What a message or command brings, for the handler to take its arguments
// from.
struct AFX_MSGCALL {
    UINT nID;       // the command id (for ranges)
    WPARAM wParam;
    LPARAM lParam;  // for WM_CREATE, the LPCREATESTRUCT
    void* pExtra;   // for CN_UPDATE_COMMAND_UI, the CCmdUI*
};

// An entry's call: a small function made for the one handler it names,
// which calls the handler through its own type.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, const AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND for commands, else the window message
    int nCode;      // CN_COMMAND or CN_UPDATE_COMMAND_UI for commands
    UINT nID;       // first command id (0 for window messages)
    UINT nLastID;   // last command id of a range
    UINT nSig;      // AfxSig
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The calls, one for each handler signature. T is the class that declares
// the handler; the target is of a class derived from it, since that class's
// map was searched.
template <class T>
LRESULT AfxCallHandler(CCmdTarget* pTarget, void (T::*pfn)(), const AFX_MSGCALL&)
{
    (static_cast<T*>(pTarget)->*pfn)();
    return 0;
}
template <class T, class CmdUI>
LRESULT AfxCallHandler(CCmdTarget* pTarget, void (T::*pfn)(CmdUI*), const AFX_MSGCALL& call)
{
    (static_cast<T*>(pTarget)->*pfn)(static_cast<CmdUI*>(call.pExtra));
    return 0;
}
template <class T>
LRESULT AfxCallHandler(CCmdTarget* pTarget, void (T::*pfn)(UINT), const AFX_MSGCALL& call)
{
    (static_cast<T*>(pTarget)->*pfn)(call.nID);
    return 0;
}
template <class T, class CreateStruct>
LRESULT AfxCallHandler(CCmdTarget* pTarget, int (T::*pfn)(CreateStruct*), const AFX_MSGCALL& call)
{
    return (static_cast<T*>(pTarget)->*pfn)(reinterpret_cast<CreateStruct*>(call.lParam));
}
template <class T>
LRESULT AfxCallHandler(CCmdTarget* pTarget, LRESULT (T::*pfn)(WPARAM, LPARAM),
                       const AFX_MSGCALL& call)
{
    return (static_cast<T*>(pTarget)->*pfn)(call.wParam, call.lParam);
}

// Signature is the member type the entry needs, of the class being mapped;
// pfn may be declared by one of its bases.
template <class Signature, auto pfn>
LRESULT AfxThunk(CCmdTarget* pTarget, const AFX_MSGCALL& call)
{
    static_cast<void>(static_cast<Signature>(pfn));  // the handler has the entry's signature
    return AfxCallHandler(pTarget, pfn, call);
}

#define DECLARE_MESSAGE_MAP()                                  \
protected:                                                     \
    static const AFX_MSGMAP* GetThisMessageMap();              \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                             \
    {                                                                           \
        typedef theClass ThisClass;                                             \
        typedef baseClass TheBaseClass;                                         \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                       \
            {0, 0, 0, 0, AfxSig_end, nullptr}};                                 \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, \
                                              &_messageEntries[0]};             \
        static_cast<void>(sizeof(ThisClass)); /* a map may have no entries */   \
        return &messageMap;                                                     \
    }

// The call for a member function of the class being mapped (named as in the
// class, or as Base::Fn for an inherited handler), checked against the
// signature its entry needs.
#define AFX_PMSG_OF(memberType, memberFxn) (&AfxThunk<memberType, &ThisClass::memberFxn>)

#define ON_COMMAND(id, memberFxn)                                              \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(id),     \
     AfxSig_vv, AFX_PMSG_OF(void (ThisClass::*)(), memberFxn)},

#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(idLast), \
     AfxSig_vw, AFX_PMSG_OF(void (ThisClass::*)(UINT), memberFxn)},

#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                    \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id),                  \
     static_cast<UINT>(id), AfxSig_vcmdui,                                     \
     AFX_PMSG_OF(void (ThisClass::*)(CCmdUI*), memberFxn)},

// A notification (EN_CHANGE, ...) that the control which is this window
// itself sends, whatever its id.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                              \
    {WM_COMMAND, static_cast<int>(wNotifyCode), 0, 0xFFFF, AfxSig_vv,          \
     AFX_PMSG_OF(void (ThisClass::*)(), memberFxn)},

// A window message handled as LRESULT fn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                         \
    {static_cast<UINT>(message), 0, 0, 0, AfxSig_lwl,                          \
     AFX_PMSG_OF(LRESULT (ThisClass::*)(WPARAM, LPARAM), memberFxn)},

// A window message with a handler of its own signature (WM_CREATE: AfxSig_is
// with int fn(LPCREATESTRUCT); WM_PAINT: AfxSig_vv with void fn()).
#define AFX_ON_WM(message, sig, memberType, memberFxn) \
    {static_cast<UINT>(message), 0, 0, 0, sig, AFX_PMSG_OF(memberType, memberFxn)},

// The state of a menu item, tool-bar button or status-bar pane while the
// framework asks its command's route about it: one walk serves all three.
class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;  // the item's place in its menu or bar
    BOOL m_bEnabled = TRUE;
    BOOL m_bEnableChanged = FALSE;
    int m_nCheck = 0;
    BOOL m_bCheckChanged = FALSE;
    std::string m_strText;
    BOOL m_bTextChanged = FALSE;
    // The menu being brought up to date (NULL for bars and panes) and its
    // number of items. A handler that puts items of its own there from
    // m_nIndex on (the recent files) sets their state itself, leaves
    // m_nIndex at the last of them and m_nIndexMax at the new count.
    QMenu* m_pMenu = nullptr;
    UINT m_nIndexMax = 0;

    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE)
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    virtual void SetCheck(int nCheck = 1)
    {
        m_nCheck = nCheck;
        m_bCheckChanged = TRUE;
    }
    virtual void SetText(LPCTSTR lpszText)
    {
        m_strText = lpszText != nullptr ? lpszText : "";
        m_bTextChanged = TRUE;
    }

    // Asks pTarget's route for the state of command m_nID. Unless an update
    // handler decided, the item is enabled exactly when some handler along
    // the route serves the command (with bDisableIfNoHndler). TRUE when an
    // update handler answered.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// Given as pExtra with CN_COMMAND, asks whether a handler exists instead of
// running it; the target that has it is filled in.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget = nullptr;
};

class CCmdTarget : public CObject {
public:
    // Runs or asks the enabling of command nID in this target's map (own
    // entries first, then the base classes'). For CN_UPDATE_COMMAND_UI,
    // pExtra is a CCmdUI*. Returns TRUE when an entry handled it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra);

    // The first entry for a window message (nMessage != WM_COMMAND) or a
    // command, walking this class's map and then its bases'; NULL if none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, int nCode, UINT nID) const;

    // Calls an entry found above with the arguments its handler takes. For
    // AfxSig_is, lParam is the LPCREATESTRUCT; the result is returned.
    LRESULT CallEntry(const AFX_MSGMAP_ENTRY* pEntry, UINT nID, WPARAM wParam, LPARAM lParam,
                      void* pExtra);

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    static CRuntimeClass classCCmdTarget;
    static CRuntimeClass* _GetBaseClass();
    CRuntimeClass* GetRuntimeClass() const override;
};

#endif
