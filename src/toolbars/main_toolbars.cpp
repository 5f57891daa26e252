#include "toolbars/main_toolbars.h"

namespace morvane {

namespace {

MenuItem& AddItem(MenuItem& parent, const wchar_t* caption) { return parent.Add(caption); }

MenuItem& AddDefaultItem(MenuItem& parent, const wchar_t* caption, const wchar_t* shortCut) {
    MenuItem& item = parent.Add(caption);
    item.SetDefault(true);
    item.SetShortCutText(shortCut);
    return item;
}

MenuItem& AddRadioItem(MenuItem& parent, const wchar_t* caption, bool checked = false) {
    MenuItem& item = parent.Add(caption);
    item.SetRadioItem(true);
    if (checked) item.SetChecked(true);
    return item;
}

MenuItem& AddShortCutItem(MenuItem& parent, const wchar_t* caption, const wchar_t* shortCut) {
    MenuItem& item = parent.Add(caption);
    item.SetShortCutText(shortCut);
    return item;
}

// The program's toolbars stay where they are: no drag handles, nothing to drag. Said before they
// dock in it, so that they take their places without a handle's room.
TFlatDock& WithoutDragging(TFlatDock& dock) {
    dock.SetAllowDrag(false);
    return dock;
}

}  // namespace

MainToolbars::MainToolbars(WinControl& form)
    : N2(AddDefaultItem(PopupMenu1.Items(), L"拡張子選択", L"Ctrl+S")),
      K1(AddShortCutItem(PopupMenu1.Items(), L"すべて", L"Ctrl+A")),
      N4(AddItem(PopupMenu1.Items(), L"-")),
      K9(AddRadioItem(PopupMenu1.Items(), L"拡張子で指定", true)),
      K10(AddRadioItem(PopupMenu1.Items(), L"ﾜｲﾙﾄﾞｶｰﾄﾞで指定")),
      IncludeSubFolders(AddItem(PopupMenu1.Items(), L"ｻﾌﾞﾌｫﾙﾀﾞも含める")),
      N6(AddItem(PopupMenu1.Items(), L"-")),
      N9(AddItem(PopupMenu1.Items(), L"現在の拡張子を追加")),
      N8(AddDefaultItem(PopupMenu2.Items(), L"拡張子選択", L"Ctrl+S")),
      K4(AddItem(PopupMenu2.Items(), L"現在の拡張子を追加")),
      K5(AddRadioItem(PopupMenu3.Items(), L"大きいｱｲｺﾝ(&G)")),
      K6(AddRadioItem(PopupMenu3.Items(), L"小さいｱｲｺﾝ(&M)")),
      K7(AddRadioItem(PopupMenu3.Items(), L"一覧(&L)")),
      K8(AddRadioItem(PopupMenu3.Items(), L"詳細(&D)", true)),
      N10(AddItem(PopupMenu3.Items(), L"-")),
      ShowExtensions(AddItem(PopupMenu3.Items(), L"拡張子を常に表示")),
      K12(AddItem(PopupMenu4.Items(), L"起動時のディレクトリ")),
      K13(AddRadioItem(K12, L"最後に選択したディレクトリ", true)),
      K14(AddRadioItem(K12, L"指定したディレクトリ")),
      N1(AddItem(K12, L"-")),
      K15(AddItem(K12, L"現在のディレクトリに設定")),
      K16(AddItem(PopupMenu4.Items(), L"ﾌｫﾙﾀﾞの右ｸﾘｯｸﾒﾆｭｰに追加")),
      N11(AddItem(PopupMenu4.Items(), L"-")),
      History1(AddShortCutItem(PopupMenu4.Items(), L"変換の履歴(&H)...", L"Ctrl+H")),
      SearchforHelpOn1(AddItem(PopupMenu5.Items(), L"ﾄﾋﾟｯｸの検索(&T)")),
      N7(AddItem(PopupMenu5.Items(), L"-")),
      About1(AddItem(PopupMenu5.Items(), L"ﾊﾞｰｼﾞｮﾝ情報(&A)")),
      FlatDock1(form),
      FlatToolbar1(form, WithoutDragging(FlatDock1), 0),
      Panel6(&FlatToolbar1, 2, 2, 180, 43),
      Label3(&Panel6, 9, 4, L"対象拡張子"),
      Edit1(&Panel6, 8, 20, 62, 19),
      FlatButton1(&Panel6, 70, 21, 15, 18),
      Label4(&Panel6, 87, 4, L"変換拡張子"),
      Edit2(&Panel6, 88, 20, 73, 19),
      FlatButton2(&Panel6, 161, 21, 15, 18),
      FlatToolbar2(form, FlatDock1, 184),
      FlatButton7(&FlatToolbar2, 2, 2, 61, 43),
      FlatSep1(&FlatToolbar2, 63, 2, 6, 43),
      FlatButton5(&FlatToolbar2, 69, 2, 61, 43),
      FlatButton4(&FlatToolbar2, 130, 2, 61, 43),
      FlatButton3(&FlatToolbar2, 191, 2, 61, 43),
      FlatButton6(&FlatToolbar2, 252, 2, 61, 43) {
    SetUpFieldButton(FlatButton1, PopupMenu1);
    SetUpFieldButton(FlatButton2, PopupMenu2);
    SetUpCommandButton(FlatButton7, L"一括変換", L"GLYPH_BATCHCONVERT");
    SetUpCommandButton(FlatButton5, L"表示", L"GLYPH_VIEW", &PopupMenu3);
    SetUpCommandButton(FlatButton4, L"ﾌﾟﾛﾊﾟﾃｨ", L"GLYPH_PROPERTIES", &PopupMenu4);
    SetUpCommandButton(FlatButton3, L"ﾍﾙﾌﾟ", L"GLYPH_HELP", &PopupMenu5);
    SetUpCommandButton(FlatButton6, L"終了", L"GLYPH_EXIT");

    // Screen readers name the fields by their labels and the arrows by what their menus are for.
    Edit1.SetAccessibleName(Label3.Caption());
    Edit2.SetAccessibleName(Label4.Caption());
    FlatButton1.SetAccessibleName(Label3.Caption() + L"のメニュー");
    FlatButton2.SetAccessibleName(Label4.Caption() + L"のメニュー");

    FlatToolbar1.SetCaption(L"FlatToolbar1");
    FlatToolbar2.SetCaption(L"FlatToolbar2");
    FlatToolbar2.SetDefaultDock(&FlatDock1);

    Edit1.Loaded();
    Edit2.Loaded();
    for (TFlatButton* button : {&FlatButton1, &FlatButton2, &FlatButton7, &FlatButton5, &FlatButton4, &FlatButton3,
                                &FlatButton6})
        button->Loaded();
    FlatToolbar1.Loaded();
    FlatToolbar2.Loaded();
}

void MainToolbars::SetUpFieldButton(TFlatButton& button, PopupMenu& menu) {
    button.SetGlyphResource(L"GLYPH_DOWNARROW");
    button.SetDropdownArrow(false);
    button.SetDropdownMenu(&menu);
}

void MainToolbars::SetUpCommandButton(TFlatButton& button, const wchar_t* caption, const wchar_t* glyph,
                                      PopupMenu* menu) {
    button.SetGlyphResource(glyph);
    button.SetCaption(caption);
    button.SetLayout(blGlyphTop);
    button.SetDropdownMenu(menu);
}

}  // namespace morvane
