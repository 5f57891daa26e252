#include "batch/extension_list_dialog.h"

namespace morvane {

TForm3::TForm3(std::wstring path)
    : Form(L"TForm3", DialogFormStyle(FormPosition::Designed)),
      ListBox1(this, 8, 8, 289, 88),
      Bevel1(this, BevelShape::TopLine, 8, 105, 289, 2),
      Bevel2(this, BevelShape::Frame, 39, 113, 258, 24),
      FlatButton3(this, 40, 114, 85, 22),
      Bevel3(this, BevelShape::LeftLine, 126, 115, 2, 20),
      FlatButton2(this, 129, 114, 85, 22),
      Bevel4(this, BevelShape::LeftLine, 215, 115, 2, 20),
      FlatButton1(this, 218, 114, 78, 22),
      list_(std::move(path)) {
    SetCaption(L"拡張子選択");
    SetBounds(155, 184, 0, 0);
    SetClientSize(303, 145);

    ListBox1.SetItemHeight(12);
    ListBox1.OnChange = [this] { ListBox1Click(); };

    FlatButton3.SetGlyphResource(L"GLYPH_DELETE");
    FlatButton3.SetCaption(L"削除");
    FlatButton3.OnClick = [this] { FlatButton3Click(); };
    FlatButton2.SetCaption(L"CANCEL");
    FlatButton2.OnClick = [this] { FlatButton2Click(); };
    FlatButton1.SetCaption(L"OK");
    FlatButton1.OnClick = [this] { FlatButton1Click(); };
    for (TFlatButton* button : {&FlatButton3, &FlatButton2, &FlatButton1}) button->Loaded();

    OnCreate = [this] { FormCreate(); };
    OnClose = [this] { FormClose(); };
    Loaded();
}

std::optional<std::wstring> TForm3::PickEntry() {
    FillList();
    return list_.Pick(ShowModal() == mrOk);
}

void TForm3::AppendEntry(const std::wstring& text) { list_.Append(text); }

void TForm3::FillList() {
    ListBox1.Clear();
    for (const std::wstring& entry : list_.Entries()) ListBox1.Add(entry);
    ListBox1.SetItemIndex(list_.Selected());
}

void TForm3::FormCreate() { list_.Load(); }

void TForm3::FormClose() { list_.Save(); }

void TForm3::FlatButton1Click() { SetModalResult(mrOk); }

void TForm3::FlatButton2Click() { SetModalResult(mrCancel); }

void TForm3::FlatButton3Click() {
    const int selected = list_.Selected();
    if (selected < 0) return;
    list_.DeleteSelected();
    ListBox1.Delete(selected);
    ListBox1.SetItemIndex(list_.Selected());
}

void TForm3::ListBox1Click() { list_.Select(ListBox1.ItemIndex()); }

}  // namespace morvane
