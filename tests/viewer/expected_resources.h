// The viewer's resources as they must read, each table written once for
// every test that checks one of them: the string table, the menu tree, the
// accelerator tables and the tool bar's buttons.
#ifndef RUVOK_TESTS_EXPECTED_RESOURCES_H
#define RUVOK_TESTS_EXPECTED_RESOURCES_H

#include "afx.h"
#include "frame.h"
#include "printdlgs.h"

#include <Qt>

#include <string>

namespace expected {

// Every string whose text is fixed, with its id.
struct StringRow {
    UINT nID;
    const char* text;
};
const StringRow kFixedStrings[] = {
    {IDR_MAINFRAME, "ﾃｷｽﾄﾌｧｲﾙ表示\n\nText\nﾃｷｽﾄﾌｧｲﾙ (*.txt)\n.txt\nRuvok.Document\nText Document"},
    {AFX_IDS_APP_TITLE, "ruvok"},
    {AFX_IDS_IDLEMESSAGE, "ﾚﾃﾞｨ"},
    {0xF1C0, "ﾋﾟｸｾﾙ"},
    {ID_FILE_NEW, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {ID_FILE_OPEN, "既存のﾌｧｲﾙを開く\n開く"},
    {ID_FILE_CLOSE, "作業中のﾌｧｲﾙを閉じる\n閉じる"},
    {ID_FILE_SAVE, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {ID_FILE_SAVE_AS, "作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存"},
    {ID_FILE_PAGE_SETUP, "印刷ｵﾌﾟｼｮﾝの変更\nﾍﾟｰｼﾞ ﾚｲｱｳﾄの設定"},
    {ID_FILE_PRINT_SETUP, "ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更\n印刷設定"},
    {ID_FILE_PRINT, "作業中のﾌｧｲﾙを印刷\n印刷"},
    {ID_FILE_PRINT_PREVIEW, "印刷ｲﾒｰｼﾞを表示\n印刷ﾌﾟﾚﾋﾞｭｰ"},
    {ID_FILE_MRU_FILE1, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 1, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 2, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 3, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 4, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 5, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 6, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 7, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 8, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 9, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 10, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 11, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 12, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 13, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE1 + 14, "指定のﾌｧｲﾙを開く"},
    {ID_FILE_MRU_FILE16, "指定のﾌｧｲﾙを開く"},
    {ID_EDIT_CLEAR, "選択範囲を消去\n消去"},
    {ID_EDIT_CLEAR_ALL, "すべて消去\nすべて消去"},
    {ID_EDIT_COPY, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {ID_EDIT_CUT, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {ID_EDIT_FIND, "指定した文字列の検索\n検索"},
    {ID_EDIT_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {ID_EDIT_REPEAT, "直前に行った動作を繰り返す\n繰り返し"},
    {ID_EDIT_REPLACE, "指定した文字列を他の文字列で置換\n置換"},
    {ID_EDIT_SELECT_ALL, "ﾌｧｲﾙ内のすべてを選択\nすべて選択"},
    {ID_EDIT_UNDO, "直前に行った動作を元に戻す\n元に戻す"},
    {ID_EDIT_REDO, "直前に行った動作を繰り返す\n繰り返す"},
    {ID_WINDOW_SPLIT, "作業中のｳｨﾝﾄﾞｳを分割\n分割"},
    {ID_APP_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {ID_NEXT_PANE, "次のｳｨﾝﾄﾞｳに切り替える\n次のﾍﾟｲﾝ"},
    {ID_PREV_PANE, "前のｳｨﾝﾄﾞｳに切り替える\n前のﾍﾟｲﾝ"},
    {ID_INDICATOR_EXT, "EXT"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    {ID_INDICATOR_OVR, "上書"},
    {ID_INDICATOR_REC, "記録"},
    {ID_INDICATOR_KANA, "ｶﾅ"},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {AFX_IDS_SCFIRST, "ｳｨﾝﾄﾞｳのｻｲｽﾞを変更"},
    {0xEF01, "ｳｨﾝﾄﾞｳの位置を変更"},
    {0xEF02, "ｳｨﾝﾄﾞｳを最小化する"},
    {0xEF03, "ｳｨﾝﾄﾞｳを最大化する"},
    {0xEF04, "次のｳｨﾝﾄﾞｳに切り替える"},
    {0xEF05, "前のｳｨﾝﾄﾞｳに切り替える"},
    {0xEF06, "作業中のｳｨﾝﾄﾞｳを閉じ、変更したﾌｧｲﾙの保存を指示"},
    {0xEF12, "ｳｨﾝﾄﾞｳを通常のｻｲｽﾞに戻す"},
    {0xEF13, "ｱﾌﾟﾘｹｰｼｮﾝの切り替え"},
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存"},
    {AFX_IDS_ALLFILTER, "すべてのﾌｧｲﾙ (*.*)"},
    {AFX_IDS_UNTITLED, "無題"},
    {AFX_IDS_PREVIEW_CLOSE, "印刷ﾌﾟﾚﾋﾞｭｰ ﾓｰﾄﾞの終わり\nﾌﾟﾚﾋﾞｭｰのｷｬﾝｾﾙ"},
    {AFX_IDS_UNNAMED_FILE, "無題のﾌｧｲﾙ"},
    {AFX_IDS_HIDE, "非表示(&H)"},
    {AFX_IDS_NO_MESSAGE, "ｴﾗｰ ﾒｯｾｰｼﾞはありません。"},
    {AFX_IDS_UNSUPPORTED, "ｻﾎﾟｰﾄされていない操作を実行しました。"},
    {AFX_IDS_RESOURCE_FAILURE, "必要なﾘｿｰｽを利用できませんでした。"},
    {AFX_IDS_MEMORY_EXCEPTION, "ﾒﾓﾘが不足しています。"},
    {AFX_IDS_GENERIC_EXCEPTION, "不明なｴﾗｰが発生しました。"},
    {AFX_IDS_PRINTONPORT, "%1 へ出力中"},
    {AFX_IDS_ONEPAGE, "1 ﾍﾟｰｼﾞ(&O)"},
    {AFX_IDS_TWOPAGE, "2 ﾍﾟｰｼﾞ(&T)"},
    {AFX_IDS_PRINTPAGENUM, "ﾍﾟｰｼﾞ %u"},
    {AFX_IDS_PREVIEWPAGEDESC, "ﾍﾟｰｼﾞ %u\nﾍﾟｰｼﾞ %u-%u\n"},
    {AFX_IDS_PRINTDEFAULTEXT, "prn"},
    {AFX_IDS_PRINTDEFAULT, "Output.prn"},
    {AFX_IDS_PRINTFILTER, "ﾌﾟﾘﾝﾀ ﾌｧｲﾙ (*.prn)|*.prn|すべてのﾌｧｲﾙ (*.*)|*.*||"},
    {AFX_IDS_PRINTCAPTION, "ﾌｧｲﾙへ出力"},
    {AFX_IDS_PRINTTOFILE, "%1 へ"},
    {AFX_IDP_INVALID_FILENAME, "無効なﾌｧｲﾙ名です。"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "ﾄﾞｷｭﾒﾝﾄを開くことに失敗しました。"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。"},
    {AFX_IDP_ASK_TO_SAVE, "%1 への変更を保存しますか?"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "空のﾄﾞｷｭﾒﾝﾄの作成に失敗しました。"},
    {AFX_IDP_FILE_TOO_LARGE, "ﾌｧｲﾙが大きすぎて開けません。"},
    {AFX_IDP_FAILED_TO_START_PRINT, "印刷ｼﾞｮﾌﾞを開始できませんでした。"},
    {0xF107, "ﾍﾙﾌﾟの起動に失敗しました。"},
    {AFX_IDP_INTERNAL_FAILURE, "ｱﾌﾟﾘｹｰｼｮﾝの内部ｴﾗｰです。"},
    {AFX_IDP_COMMAND_FAILURE, "ｺﾏﾝﾄﾞの実行に失敗しました。"},
    {AFX_IDP_FAILED_MEMORY_ALLOC, "ﾒﾓﾘ不足のため実行できません。"},
    {AFX_IDP_UNREG_DONE, "ｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘは削除されています。また、INI ﾌｧｲﾙがある場合は、INI ﾌｧｲﾙも削除されました。"},
    {AFX_IDP_UNREG_FAILURE, "一部のｼｽﾃﾑ ﾚｼﾞｽﾄﾘ ｴﾝﾄﾘ (または INI ﾌｧｲﾙ) は削除されませんでした。"},
    {AFX_IDP_FAILED_INVALID_FORMAT, "予期しないﾌｧｲﾙ形式です。"},
    {0xF121, "%1\nこのﾌｧｲﾙが見つかりません。\nﾊﾟｽとﾌｧｲﾙ名が正しいかどうか確認してださい。"},
    {0xF122, "出力先のﾃﾞｨｽｸ ﾄﾞﾗｲﾌﾞの空き容量が不足しています。"},
    {0xF123, "%1 は使用中のため、読み取れません。"},
    {0xF124, "%1 は使用中または読み取り専用のため、書き込めません。"},
    {0xF125, "%1 の読み取り中に予期しないｴﾗｰが発生しました。"},
    {0xF126, "%1 の書き込み中に予期しないｴﾗｰが発生しました。"},
    {AFX_IDP_FILE_NONE, "ｴﾗｰはありませんでした。"},
    {0xF1A1, "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"},
    {0xF1A2, "%1 が見つかりませんでした。"},
    {0xF1A3, "%1 には無効なﾊﾟｽが含まれています。"},
    {0xF1A4, "開いているﾌｧｲﾙが多すぎるため、%1 を開けませんでした。"},
    {0xF1A5, "%1 へのｱｸｾｽは拒否されました。"},
    {0xF1A6, "%1 へ無効なﾌｧｲﾙ ﾊﾝﾄﾞﾙが関連付けられていました。"},
    {0xF1A7, "現在のﾃﾞｨﾚｸﾄﾘ %1 は削除できませんでした。"},
    {0xF1A8, "%1 を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。"},
    {0xF1A9, "%1 のｼｰｸに失敗しました。"},
    {0xF1AA, "%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"},
    {0xF1AB, "%1 へのｱｸｾｽ中に共有違反が発生しました。"},
    {0xF1AC, "%1 へのｱｸｾｽ中にﾛｯｸ違反が発生しました。"},
    {0xF1AD, "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
    {0xF1AE, "%1 の末尾以降にｱｸｾｽしようとしました。"},
};

// The framework's rows that no path of the viewer shows: present, Japanese.
const UINT kOwnWordingStrings[] = {
    0xF10D,
    0xF10E,
    0xF110,
    0xF111,
    0xF112,
    0xF113,
    0xF114,
    0xF115,
    0xF116,
    0xF117,
    0xF118,
    0xF119,
    0xF18C,
    0xF18D,
    0xF190,
    0xF191,
    0xF192,
    AFX_IDP_ARCH_NONE,
    0xF1B1,
    0xF1B2,
    0xF1B3,
    0xF1B4,
    0xF1B5,
    0xF1B6,
    0xF1B7,
};

// The text of a fixed string, or "" where it is not among them.
inline std::string String(UINT nID)
{
    for (const StringRow& row : kFixedStrings)
        if (row.nID == nID)
            return row.text;
    return "";
}

// The menu bar, popup by popup and item by item.
struct MenuRow {
    const char* popup;
    const char* text;  // nullptr: a separator
    UINT nID;
    bool bGrayed;
};
const MenuRow kMenu[] = {
    {"ﾌｧｲﾙ(&F)", "新規作成(&N)\tCtrl+N", ID_FILE_NEW, false},
    {"ﾌｧｲﾙ(&F)", "開く(&O)...\tCtrl+O", ID_FILE_OPEN, false},
    {"ﾌｧｲﾙ(&F)", "上書き保存(&S)\tCtrl+S", ID_FILE_SAVE, false},
    {"ﾌｧｲﾙ(&F)", "名前を付けて保存(&A)...", ID_FILE_SAVE_AS, false},
    {"ﾌｧｲﾙ(&F)", nullptr, 0, false},
    {"ﾌｧｲﾙ(&F)", "印刷(&P)...\tCtrl+P", ID_FILE_PRINT, false},
    {"ﾌｧｲﾙ(&F)", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", ID_FILE_PRINT_PREVIEW, false},
    {"ﾌｧｲﾙ(&F)", "ﾌﾟﾘﾝﾀの設定(&R)...", ID_FILE_PRINT_SETUP, false},
    {"ﾌｧｲﾙ(&F)", nullptr, 0, false},
    {"ﾌｧｲﾙ(&F)", "最近使ったﾌｧｲﾙ", ID_FILE_MRU_FILE1, true},
    {"ﾌｧｲﾙ(&F)", nullptr, 0, false},
    {"ﾌｧｲﾙ(&F)", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", ID_APP_EXIT, false},
    {"編集(&E)", "元に戻す(&U)\tCtrl+Z", ID_EDIT_UNDO, false},
    {"編集(&E)", nullptr, 0, false},
    {"編集(&E)", "切り取り(&T)\tCtrl+X", ID_EDIT_CUT, false},
    {"編集(&E)", "ｺﾋﾟｰ(&C)\tCtrl+C", ID_EDIT_COPY, false},
    {"編集(&E)", "貼り付け(&P)\tCtrl+V", ID_EDIT_PASTE, false},
    {"表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T)", ID_VIEW_TOOLBAR, false},
    {"表示(&V)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", ID_VIEW_STATUS_BAR, false},
    {"ﾍﾙﾌﾟ(&H)", "ruvok のﾊﾞｰｼﾞｮﾝ情報(&A)...", ID_APP_ABOUT, false},
};

// The main frame's accelerators, then the print preview's: each entry as
// stored (0x80 in the flags of a table's last entry) and the key it is.
struct AccelRow {
    UINT nTable;
    WORD vk;
    BYTE fVirt;
    UINT cmd;
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
};
const AccelRow kAccelerators[] = {
    {IDR_MAINFRAME, 0x4E, 0x09, ID_FILE_NEW, "Ctrl+N", Qt::Key_N, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x4F, 0x09, ID_FILE_OPEN, "Ctrl+O", Qt::Key_O, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x53, 0x09, ID_FILE_SAVE, "Ctrl+S", Qt::Key_S, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x50, 0x09, ID_FILE_PRINT, "Ctrl+P", Qt::Key_P, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x5A, 0x09, ID_EDIT_UNDO, "Ctrl+Z", Qt::Key_Z, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x58, 0x09, ID_EDIT_CUT, "Ctrl+X", Qt::Key_X, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x43, 0x09, ID_EDIT_COPY, "Ctrl+C", Qt::Key_C, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x56, 0x09, ID_EDIT_PASTE, "Ctrl+V", Qt::Key_V, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x08, 0x11, ID_EDIT_UNDO, "Alt+Backspace", Qt::Key_Backspace, Qt::AltModifier},
    {IDR_MAINFRAME, 0x2E, 0x05, ID_EDIT_CUT, "Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier},
    {IDR_MAINFRAME, 0x2D, 0x09, ID_EDIT_COPY, "Ctrl+Insert", Qt::Key_Insert, Qt::ControlModifier},
    {IDR_MAINFRAME, 0x2D, 0x05, ID_EDIT_PASTE, "Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier},
    {IDR_MAINFRAME, 0x75, 0x01, ID_NEXT_PANE, "F6", Qt::Key_F6, Qt::NoModifier},
    {IDR_MAINFRAME, 0x75, 0x85, ID_PREV_PANE, "Shift+F6 (last)", Qt::Key_F6, Qt::ShiftModifier},
    {AFX_IDR_PREVIEW_ACCEL, 0x22, 0x03, AFX_ID_PREVIEW_NEXT, "Page Down", Qt::Key_PageDown,
     Qt::NoModifier},
    {AFX_IDR_PREVIEW_ACCEL, 0x21, 0x03, AFX_ID_PREVIEW_PREV, "Page Up", Qt::Key_PageUp,
     Qt::NoModifier},
    {AFX_IDR_PREVIEW_ACCEL, 0x1B, 0x83, AFX_ID_PREVIEW_CLOSE, "Esc (last)", Qt::Key_Escape,
     Qt::NoModifier},
};

// The tool bar's buttons in order, 0 for a separator.
const UINT kToolBar[] = {ID_FILE_NEW,   ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                         ID_EDIT_PASTE, 0,            ID_FILE_PRINT, 0, ID_APP_ABOUT};

}  // namespace expected

#endif
