#include "Resources.h"

#include <wx/defs.h>
#include <wx/menu.h>

#include <iterator>
#include <vector>

namespace
{
struct CResString
{
    int m_nId;
    const char* m_pszText; // UTF-8
};

// The string table. Half-width katakana is part of the program's look and is
// kept as it stands.
constexpr CResString kStrings[] = {
    {IDR_MAINFRAME, "Ridaxo\nRidaxoﾄﾞｷｭﾒﾝﾄ\nRidaxoﾄﾞｷｭﾒﾝﾄ\nRidaxoインデクス(*.rix)\n.rix\n"},
    {IDS_APP_TITLE, "Ridaxo"},
    {IDS_IDLE, "ﾚﾃﾞｨ"},
    {IDS_VERSION, "Ridaxo　ver.α１_030330"},
    {wxID_NEW, "新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ"},
    {wxID_OPEN, "既存のﾌｧｲﾙを開く\n開く"},
    {wxID_SAVE, "作業中のﾌｧｲﾙを上書きして保存\n保存"},
    {wxID_SAVEAS, "作業中のﾌｧｲﾙを別名で保存\n名前を付けて保存"},
    {wxID_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
    {wxID_UNDO, "直前に行った動作を元に戻す\n元に戻す"},
    {wxID_REDO, "直前に元に戻した動作をやり直す\nやり直し"},
    {wxID_CUT, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\n切り取り"},
    {wxID_COPY, "選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存\nｺﾋﾟｰ"},
    {wxID_PASTE, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付け\n貼り付け"},
    {wxID_ABOUT, "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｼﾞｮｰﾝそして著作権を表示\nﾊﾞｼﾞｰｮﾝ情報"},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え"},
    {ID_NEXT_PANE, "次のｳｨﾝﾄﾞｳ ｳｨﾝﾄﾞｳに切り替え\n次のｳｨﾝﾄﾞｳ"},
    {ID_PREV_PANE, "前のｳｨﾝﾄﾞｳ ｳｨﾝﾄﾞｳに切り替え\n前のｳｨﾝﾄﾞｳ"},
    {wxID_FILE1, "指定のﾌｧｲﾙを開く"},
    {ID_VIEW_FONT, "フォントの変更\nフォントの変更"},
    {ID_FOLDER_ADD, "フォルダの追加\nフォルダの追加"},
    {ID_FOLDER_DELETE, "フォルダの削除\nフォルダの削除"},
    {ID_SETTINGS, "設定...\n設定..."},
    {ID_AA_COPY, "選択した AA のテキストをクリップボードにコピー\nＡＡのコピー"},
    {ID_FIND, "AA を名前で検索\n検索"},
};

wxString Field(const wxString& strText, int nField)
{
    wxString strRest = strText;
    for (int i = 0; i < nField; ++i) {
        const int nPos = strRest.Find('\n');
        if (nPos == wxNOT_FOUND)
            return {};
        strRest = strRest.Mid(nPos + 1);
    }
    return strRest.BeforeFirst('\n');
}
} // namespace

wxString LoadResString(int nId)
{
    for (const CResString& entry : kStrings) {
        if (entry.m_nId == nId)
            return U8(entry.m_pszText);
    }
    return {};
}

wxString GetCommandPrompt(int nId)
{
    return Field(LoadResString(nId), 0);
}

wxString GetCommandTooltip(int nId)
{
    return Field(LoadResString(nId), 1);
}

wxString GetDocStringField(int nField)
{
    return Field(LoadResString(IDR_MAINFRAME), nField);
}

wxString GetFileDialogFilter(bool bWithAAFiles)
{
    // The AA files are only ever opened, never saved.
    const wxString strAAFiles = bWithAAFiles ? U8("AA ファイル (*.txt;*.mlt;*.ast)|*.txt;*.mlt;*.ast|") : wxString();
    return GetDocStringField(3) + "|*" + GetDocStringField(4) + "|" + strAAFiles + U8("すべてのファイル (*.*)") + "|*";
}

std::unique_ptr<wxMenu> LoadPopupMenu(int nId)
{
    struct CPopupItem
    {
        int m_nCommand;
        const char* m_pszLabel;
    };
    std::vector<CPopupItem> items;
    switch (nId) {
    case IDR_TREEPOPUP:
        items = {{ID_FOLDER_ADD, "フォルダの追加"}, {ID_FOLDER_DELETE, "フォルダの削除"}};
        break;
    case IDR_LISTPOPUP:
        items = {{ID_AA_DELETE, "ＡＡの削除"}, {ID_AA_COPY, "ＡＡのコピー"}};
        break;
    default:
        return nullptr;
    }
    auto pMenu = std::make_unique<wxMenu>();
    for (const CPopupItem& item : items)
        pMenu->Append(item.m_nCommand, U8(item.m_pszLabel), GetCommandPrompt(item.m_nCommand));
    return pMenu;
}
