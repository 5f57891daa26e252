#pragma once
// The extension list dialog: the favourite extensions in a list box, from which the user picks one
// into a field of the main window or deletes entries. The list is read when the dialog is created
// and stored at every close, whatever ends it.
#include <optional>
#include <string>

#include "batch/extension_list.h"
#include "toolbars/flat_button.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"
#include "ui/list_box.h"

namespace morvane {

class TForm3 : public Form {
public:
    // The list is kept in the given file; the program's is "Morvane.dat" beside the executable.
    explicit TForm3(std::wstring path = ExtensionListPath());

    // Shows the list modally. Returns the selected entry's text when the user ended with OK and an
    // entry was selected; nothing after CANCEL, the close box, OK without a selection, or a close
    // whose storing of the list failed (already reported in the error box).
    std::optional<std::wstring> PickEntry();
    // Adds the text to the end of the list, whatever it is, and stores the list at once. A text the
    // file cannot hold, or a failed store, is thrown as the program's error (the list stays as it
    // was for a refused text; a stored-later entry stays in it when the store failed).
    void AppendEntry(const std::wstring& text);

    const ExtensionList& List() const { return list_; }

    void FormCreate();
    void FormClose();
    void FlatButton1Click();
    void FlatButton2Click();
    void FlatButton3Click();
    void ListBox1Click();

    ListBox ListBox1;
    Bevel Bevel1;
    Bevel Bevel2;
    TFlatButton FlatButton3;
    Bevel Bevel3;
    TFlatButton FlatButton2;
    Bevel Bevel4;
    TFlatButton FlatButton1;

private:
    // Shows the entries as they are now (the main window may have appended some) and the selection.
    void FillList();

    ExtensionList list_;
};

}  // namespace morvane
