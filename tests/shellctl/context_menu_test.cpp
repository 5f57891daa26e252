#include "shellctl/shell_context_menu.h"

#include <shobjidl.h>

#include "common/temp_folder.h"
#include "shellctl/shell_test_support.h"

namespace morvane {
namespace {

using test::TempFolder;

// The real data object of an item, passed through, with the calls it receives recorded.
class RecordingDataObject : public IDataObject {
public:
    explicit RecordingDataObject(IDataObject* inner) : inner_(inner) {}
    std::vector<std::string> calls;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject) { *out = static_cast<IDataObject*>(this); AddRef(); return S_OK; }
        calls.push_back("QueryInterface"); *out = nullptr; return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override { calls.push_back("GetData"); return inner_->GetData(f, m); }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* f, STGMEDIUM* m) override { calls.push_back("GetDataHere"); return inner_->GetDataHere(f, m); }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { calls.push_back("QueryGetData"); return inner_->QueryGetData(f); }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* a, FORMATETC* b) override { return inner_->GetCanonicalFormatEtc(a, b); }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* f, STGMEDIUM* m, BOOL r) override { calls.push_back("SetData"); return inner_->SetData(f, m, r); }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD d, IEnumFORMATETC** e) override { calls.push_back("EnumFormatEtc"); return inner_->EnumFormatEtc(d, e); }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* f, DWORD a, IAdviseSink* s, DWORD* c) override { return inner_->DAdvise(f, a, s, c); }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD c) override { return inner_->DUnadvise(c); }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** e) override { return inner_->EnumDAdvise(e); }
private:
    IDataObject* inner_;
    ULONG refs_ = 1;
};

class ContextMenuTest : public test::ShellTest {};

std::wstring SendToPath() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_SENDTO, TRUE);
    return path;
}

void MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shellLink;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.ReceiveVoid());
    ASSERT_TRUE(shellLink);
    shellLink->SetPath(L"C:\\windows\\system32\\cmd.exe");
    shellLink->SetArguments(L"/c copy");
    shellLink->SetWorkingDirectory(target.c_str());
    auto file = shellLink.As<IPersistFile>();
    ASSERT_TRUE(file);
    ASSERT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
}

TEST_F(ContextMenuTest, Experiment) {
    TempFolder source, target;
    source.AddFile(L"doc.txt", 0, "hello");
    const std::wstring link = SendToPath() + L"\\Target.lnk";
    MakeShortcut(link, target.Path());
    printf("sendto %ls\n", SendToPath().c_str());
    IDList sendTo = test::ParsePath(SendToPath());
    auto folder = BindToFolder(sendTo.Get());
    auto items = EnumerateItems(folder.Get(), nullptr, SHCONTF_NONFOLDERS);
    for (IDList id = NextItem(items.Get()); id; id = NextItem(items.Get())) {
        printf("entry %ls attrs %lx\n", DisplayName(folder.Get(), id.Get(), SHGDN_NORMAL).c_str(), ItemAttributes(folder.Get(), id.Get(), SFGAO_FOLDER|SFGAO_LINK|SFGAO_DROPTARGET));
        LPCITEMIDLIST ids[] = {id.Get()};
        ComPtr<IDropTarget> drop;
        HRESULT hr = folder->GetUIObjectOf(nullptr, 1, ids, IID_IDropTarget, nullptr, drop.ReceiveVoid());
        printf("droptarget hr=%lx %p\n", hr, (void*)drop.Get());
        IDList src = test::ParsePath(source.Path());
        auto srcFolder = BindToFolder(src.Get());
        IDList file = test::ParsePath(source.PathOf(L"doc.txt"));
        IDList last(LastIDList(file.Get()));
        LPCITEMIDLIST fids[] = {last.Get()};
        ComPtr<IDataObject> data;
        hr = srcFolder->GetUIObjectOf(nullptr, 1, fids, IID_IDataObject, nullptr, data.ReceiveVoid());
        printf("data hr=%lx %p\n", hr, (void*)data.Get());
        if (drop && data) {
            RecordingDataObject rec(data.Get());
            DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
            POINTL pt{0,0};
            hr = drop->DragEnter(&rec, MK_LBUTTON, pt, &effect);
            printf("enter hr=%lx effect %lu\n", hr, effect);
            hr = drop->Drop(&rec, MK_LBUTTON, pt, &effect);
            printf("drop hr=%lx effect %lu\n", hr, effect);
            for (auto& c : rec.calls) printf("  call %s\n", c.c_str());
        }
    }
    for (int i = 0; i < 30; ++i) { test::PumpMessages(); Sleep(50); }
    {
        IDList t = test::ParsePath(target.Path());
        IDList parent(ParentIDList(t.Get()));
        IDList last(LastIDList(t.Get()));
        auto pf = BindToFolder(parent.Get());
        LPCITEMIDLIST ids[] = {last.Get()};
        ComPtr<IDropTarget> drop;
        HRESULT hr = pf->GetUIObjectOf(nullptr, 1, ids, IID_IDropTarget, nullptr, drop.ReceiveVoid());
        printf("folder droptarget hr=%lx %p\n", hr, (void*)drop.Get());
        IDList src = test::ParsePath(source.Path());
        auto srcFolder = BindToFolder(src.Get());
        IDList file = test::ParsePath(source.PathOf(L"doc.txt"));
        IDList flast(LastIDList(file.Get()));
        LPCITEMIDLIST fids[] = {flast.Get()};
        ComPtr<IDataObject> data;
        srcFolder->GetUIObjectOf(nullptr, 1, fids, IID_IDataObject, nullptr, data.ReceiveVoid());
        if (drop && data) {
            DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
            POINTL pt{0,0};
            hr = drop->DragEnter(data.Get(), MK_LBUTTON, pt, &effect);
            printf("enter hr=%lx effect %lu\n", hr, effect);
            effect = DROPEFFECT_COPY;
            hr = drop->Drop(data.Get(), MK_LBUTTON, pt, &effect);
            printf("drop hr=%lx effect %lu\n", hr, effect);
        }
        for (int i = 0; i < 30; ++i) { test::PumpMessages(); Sleep(50); }
    }
    for (auto& n : target.Names()) printf("target has %ls\n", n.c_str());
    for (auto& n : source.Names()) printf("source has %ls\n", n.c_str());
    DeleteFileW(link.c_str());
}

}  // namespace
}  // namespace morvane
