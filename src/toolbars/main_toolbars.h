#pragma once
// The main window's toolbar area, built on any form: the dock with the fields' toolbar (target
// and new extension, each with its drop-down menu) and the command toolbar (batch convert,
// view, properties, help, exit with their menus). Handlers are attached to the controls and
// menu items by their names.
#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_edit.h"
#include "toolbars/flat_sep.h"
#include "toolbars/flat_toolbar.h"
#include "ui/graphic_controls.h"
#include "ui/menu.h"
#include "ui/panel.h"

namespace morvane {

class MainToolbars {
public:
    explicit MainToolbars(WinControl& form);

    // The drop-down menus come first: the buttons refer to them.
    PopupMenu PopupMenu1;  // target field
    MenuItem& N2;
    MenuItem& K1;
    MenuItem& N4;
    MenuItem& K9;
    MenuItem& K10;
    MenuItem& IncludeSubFolders;  // check item: batches take the files of subfolders too
    MenuItem& N6;
    MenuItem& N9;
    PopupMenu PopupMenu2;  // new-extension field
    MenuItem& N8;
    MenuItem& K4;
    PopupMenu PopupMenu3;  // view
    MenuItem& K5;
    MenuItem& K6;
    MenuItem& K7;
    MenuItem& K8;
    MenuItem& N10;
    MenuItem& ShowExtensions;  // check item: files by their whole names, extension included
    PopupMenu PopupMenu4;  // properties
    MenuItem& K12;
    MenuItem& K13;
    MenuItem& K14;
    MenuItem& N1;
    MenuItem& K15;
    MenuItem& K16;
    MenuItem& N11;
    MenuItem& History1;  // the window of the kept batches
    PopupMenu PopupMenu5;  // help
    MenuItem& SearchforHelpOn1;
    MenuItem& N7;
    MenuItem& About1;

    TFlatDock FlatDock1;
    TFlatToolbar FlatToolbar1;
    Panel Panel6;
    Label Label3;
    TFlatEdit Edit1;
    TFlatButton FlatButton1;
    Label Label4;
    TFlatEdit Edit2;
    TFlatButton FlatButton2;
    TFlatToolbar FlatToolbar2;
    TFlatButton FlatButton7;
    TFlatSep FlatSep1;
    TFlatButton FlatButton5;
    TFlatButton FlatButton4;
    TFlatButton FlatButton3;
    TFlatButton FlatButton6;

private:
    void SetUpFieldButton(TFlatButton& button, PopupMenu& menu);
    void SetUpCommandButton(TFlatButton& button, const wchar_t* caption, const wchar_t* glyph,
                            PopupMenu* menu = nullptr);
};

}  // namespace morvane
