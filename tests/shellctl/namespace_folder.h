#pragma once
// A folder of the test's own in the real shell namespace, for what the file system here never
// does: a folder that cannot be read, one whose enumeration answers S_FALSE (nothing to list), or
// one that lists items with attributes of the test's choosing (an archive that is a folder and a
// stream, a removable drive), counting which attributes the shell's users ask of each.
// It is a namespace extension under the desktop, registered in the registry and served by a class
// object of this process; the shell lists it among the desktop's children and binds to it as to
// any other folder.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/registry_backup.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"

namespace morvane::test {

class NamespaceFolder {
public:
    enum class Answer { Unreadable, NothingToList, Items };
    // An item that the folder lists in Items mode, in this order; it holds nothing itself.
    struct Child {
        std::wstring Name;
        SFGAOF Attributes = 0;
    };

    NamespaceFolder(const std::wstring& name, Answer answer)
        : classKey_(HKEY_CLASSES_ROOT, L"CLSID\\" + kClassText),
          desktopEntry_(HKEY_CURRENT_USER, std::wstring(kDesktopNameSpace) + L"\\" + kClassText) {
        told_ = answer;
        enumerations_ = 0;
        children_.clear();
        asked_.clear();
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
    void SetChildren(std::vector<Child> children) {
        children_ = std::move(children);
        told_ = Answer::Items;
    }
    // How often an item was asked for any of these attributes.
    int TimesAsked(const std::wstring& name, SFGAOF attributes) const {
        int times = 0;
        for (const auto& [asked, count] : asked_)
            if (asked.first == name && (asked.second & attributes)) times += count;
        return times;
    }

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
    inline static std::vector<Child> children_;
    inline static std::map<std::pair<std::wstring, SFGAOF>, int> asked_;

    // An item's identifier: its size, a mark no shell of the system's uses, and its index.
#pragma pack(push, 1)
    struct ItemID {
        USHORT Size = sizeof(ItemID);
        BYTE Mark[3] = {0x7F, 'M', 'V'};
        WORD Index = 0;
        USHORT End = 0;
    };
#pragma pack(pop)
    static const Child* ChildOf(LPCITEMIDLIST id) {
        if (!id || id->mkid.cb != sizeof(ItemID) - sizeof(USHORT)) return nullptr;
        const auto* item = reinterpret_cast<const ItemID*>(id);
        if (item->Mark[0] != 0x7F || item->Mark[1] != 'M' || item->Index >= children_.size()) return nullptr;
        return &children_[item->Index];
    }

    class Items final : public IEnumIDList {
    public:
        explicit Items(SHCONTF flags) : flags_(flags) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            *out = (iid == IID_IUnknown || iid == IID_IEnumIDList) ? static_cast<IEnumIDList*>(this) : nullptr;
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
        HRESULT STDMETHODCALLTYPE Next(ULONG count, PITEMID_CHILD* ids, ULONG* fetched) override {
            ULONG given = 0;
            for (; given < count && next_ < children_.size(); ++next_) {
                const bool folder = children_[next_].Attributes & SFGAO_FOLDER;
                const bool stream = children_[next_].Attributes & SFGAO_STREAM;
                const bool wanted = (folder && (flags_ & SHCONTF_FOLDERS)) ||
                                    ((!folder || stream) && (flags_ & SHCONTF_NONFOLDERS));
                if (!wanted) continue;
                ItemID item;
                item.Size = sizeof(ItemID) - sizeof(USHORT);
                item.Index = static_cast<WORD>(next_);
                auto* copy = static_cast<ItemID*>(CoTaskMemAlloc(sizeof item));
                std::memcpy(copy, &item, sizeof item);
                ids[given++] = reinterpret_cast<PITEMID_CHILD>(copy);
            }
            if (fetched) *fetched = given;
            return given == count ? S_OK : S_FALSE;
        }
        HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Reset() override {
            next_ = 0;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }

    private:
        ULONG references_ = 1;
        SHCONTF flags_;
        size_t next_ = 0;
    };

    class Folder final : public IShellFolder, public IPersistFolder {
    public:
        // The folder itself, or (inner) one of its items bound as a folder, which holds nothing.
        explicit Folder(bool inner = false) : inner_(inner) {}
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

        HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF flags, IEnumIDList** items) override {
            *items = nullptr;
            if (inner_) return S_FALSE;
            ++enumerations_;
            if (told_ == Answer::Items) {
                *items = new Items(flags);
                return S_OK;
            }
            return told_ == Answer::NothingToList ? S_FALSE : HRESULT_FROM_WIN32(ERROR_NOT_READY);
        }
        HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE* list,
                                                   ULONG*) override {
            if (list) *list = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE id, IBindCtx*, REFIID iid, void** out) override {
            *out = nullptr;
            const Child* child = inner_ ? nullptr : ChildOf(id);
            if (!child || !(child->Attributes & SFGAO_FOLDER)) return E_NOTIMPL;
            auto* folder = new Folder(true);
            const HRESULT result = folder->QueryInterface(iid, out);
            folder->Release();
            return result;
        }
        HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
            const Child* first = ChildOf(a);
            const Child* second = ChildOf(b);
            if (!first || !second) return E_NOTIMPL;
            const int order = first < second ? -1 : (second < first ? 1 : 0);
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order)));
        }
        HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY ids, SFGAOF* inOut) override {
            if (count == 0 || !ids || !inOut) return E_INVALIDARG;
            SFGAOF answer = ~SFGAOF{0};
            for (UINT i = 0; i < count; ++i) {
                const Child* child = ChildOf(ids[i]);
                if (!child) return E_INVALIDARG;
                ++asked_[{child->Name, *inOut}];
                answer &= child->Attributes;
            }
            *inOut &= answer;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void** out) override {
            *out = nullptr;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD id, SHGDNF, STRRET* name) override {
            const Child* child = ChildOf(id);
            if (!child || !name) return E_INVALIDARG;
            name->uType = STRRET_WSTR;
            return SHStrDupW(child->Name.c_str(), &name->pOleStr);
        }
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
        bool inner_ = false;
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
