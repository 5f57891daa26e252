#pragma once
// The about box: the program's name, version and maker, a button that opens the maker's homepage
// in the browser and one that closes the box.
#include <functional>
#include <string>

#include "toolbars/flat_button.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"
#include "ui/panel.h"

namespace morvane {

// Asks the shell to open an address (the default browser shows it); reports nothing when it cannot.
void OpenWithShell(const std::wstring& address);

class TAboutBox : public Form {
public:
    // How "Homepage" opens the address; the shell's browser unless told otherwise.
    using AddressOpener = std::function<void(const std::wstring& address)>;
    explicit TAboutBox(AddressOpener openAddress = OpenWithShell);

    void FlatButton1Click();
    void FlatButton2Click();

    Panel Panel1;
    Picture ProgramIcon;
    Label ProductName;
    Label Label2;
    Bevel Bevel1;
    Label Version;
    Bevel Bevel3;
    Label Copyright;
    Label Comments;
    Label Label1;
    Bevel Bevel2;
    TFlatButton FlatButton2;
    Bevel Bevel4;
    TFlatButton FlatButton1;

private:
    AddressOpener openAddress_;
};

}  // namespace morvane
