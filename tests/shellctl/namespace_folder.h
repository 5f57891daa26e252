#pragma once
// A folder of the test's own in the real shell namespace, for what the file system here never
// does: a folder that cannot be read, or one whose enumeration answers S_FALSE (nothing to list).
// It is a namespace extension under the desktop, registered in the registry and served by a class
// object of this process; the shell lists it among the desktop's children and binds to it as to
// any other folder.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "common/registry_backup.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"

namespace morvane::test {

class NamespaceFolder {
public:
    enum class Answer { Unreadable, NothingToList };

    NamespaceFolder(const std::wstring& name, Answer answer)
        : classKey_(HKEY_CLASSES_ROOT, L"CLSID\\" + kClassText),
          desktopEntry_(HKEY_CURRENT_USER, std::wstring(kDesktopNameSpace) + L"\\" + kClassText) {
        told_ = answer;
        enumerations_ = 0;
        const std::wstring classKey = L"CLSID\\" + kClassText;
        PutRegistryText(HKEY_CLASSES_ROOT, classKey, L"", name);
        // The shell creates the folder only for a class it finds registered in process; the class
        // object below is found first.
        PutRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"", L"morvane-test-folder.dll");
        PutRegistryText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, (classKey + L"\\ShellFolder").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            const DWORD attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
            RegSetValueExW(key, L"Attributes", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&attributes),
                           sizeof attributes);
            RegCloseKey(key);
        }
        PutRegistryText(HKEY_CURRENT_USER, std::wstring(kDesktopNameSpace) + L"\\" + kClassText, L"", name);
        CoRegisterClassObject(kClass, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    }
    ~NamespaceFolder() { CoRevokeClassObject(cookie_); }
    NamespaceFolder(const NamespaceFolder&) = delete;
    NamespaceFolder& operator=(const NamespaceFolder&) = delete;

    // How often the shell's users have asked the folder for its items.
    int Enumerations() const { return enumerations_; }
    void SetAnswer(Answer answer) { told_ = answer; }

    // The folder's absolute list: its identifier among the desktop's children.
    static IDList List() {
        IDList list;
        std::wstring text = L"::" + kClassText;
        if (IShellFolder* desktop = DesktopFolder())
            desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
        return list;
    }

private:
    static constexpr CLSID kClass = {0x6d6f7276, 0x616e, 0x6574, {0x80, 0x73, 0x74, 0x66, 0x6f, 0x6c, 0x64, 0x72}};
    inline static const std::wstring kClassText = L"{6D6F7276-616E-6574-8073-74666F6C6472}";
    static constexpr const wchar_t* kDesktopNameSpace =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";

    // The folder itself: nothing but its enumeration answers.
    // What every folder object answers, the ones the shell still holds from before included.
    inline static Answer told_ = Answer::Unreadable;
    inline static int enumerations_ = 0;

    class Folder final : public IShellFolder, public IPersistFolder {
    public:
        Folder() = default;
        virtual ~Folder() = default;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            if (iid == IID_IUnknown || iid == IID_IShellFolder)
                *out = static_cast<IShellFolder*>(this);
            else if (iid == IID_IPersistFolder || iid == IID_IPersist)
                *out = static_cast<IPersistFolder*>(this);
            else
                *out = nullptr;
            if (!*out) return E_NOINTERFACE;
            AddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
        ULONG STDMETHODCALLTYPE Release() override {
            const ULONG left = --references_;
            if (left == 0) delete this;
            return left;
        }

        HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** items) override {
            ++enumerations_;
            *items = nullptr;
            return told_ == Answer::NothingToList ? S_FALSE : HRESULT_FROM_WIN32(ERROR_NOT_READY);
        }
        HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE* list,
                                                   ULONG*) override {
            if (list) *list = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD* out) override {
            if (out) *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
            *id = kClass;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE) override { return S_OK; }

    private:
        ULONG references_ = 1;
    };

    class Factory : public IClassFactory {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? this : nullptr;
            return *out ? S_OK : E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the test folder
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
            *out = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            auto* folder = new Folder;
            const HRESULT result = folder->QueryInterface(iid, out);
            folder->Release();
            return result;
        }
        HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    };

    RegistryBackup classKey_;
    RegistryBackup desktopEntry_;
    Factory factory_;
    DWORD cookie_ = 0;
};

}  // namespace morvane::test
