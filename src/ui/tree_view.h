#pragma once
// The common-controls tree view as a control: nodes with text, data, images and a has-children
// flag (texts and images may be asked for when a node is first shown), lazy expansion and in-place
// label editing. What the user does to the tree arrives at virtual handlers.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/control.h"

namespace morvane {

class TreeView : public WinControl {
public:
    using Node = HTREEITEM;

    TreeView(WinControl* parent, int left, int top, int width, int height);

    // Images may be kImagesOnDemand: the tree asks NodeImages for both when it first draws the node.
    // A node with TextOnDemand set takes its text from NodeText when it is first drawn or read.
    static constexpr int kImagesOnDemand = I_IMAGECALLBACK;
    struct NewNode {
        std::wstring Text;
        LPARAM Data = 0;
        int Image = 0;
        int SelectedImage = 0;
        bool HasChildren = false;
        bool TextOnDemand = false;
    };
    // Appended as the last child of the parent (nullptr: at top level).
    Node Add(Node parent, const NewNode& node);
    void Clear();

    Node Root() const;
    Node FirstChild(Node node) const;
    Node NextSibling(Node node) const;
    Node ParentOf(Node node) const;
    int Level(Node node) const;  // 0 for top-level nodes
    int ChildCount(Node node) const;

    std::wstring Text(Node node) const;
    void SetText(Node node, const std::wstring& text);
    LPARAM Data(Node node) const;
    void SetData(Node node, LPARAM data);
    bool HasChildren(Node node) const;
    void SetHasChildren(Node node, bool hasChildren);
    bool Expanded(Node node) const;

    Node Selected() const;
    // Selects the node (nullptr clears the selection); the selection change follows.
    void Select(Node node);
    void Expand(Node node);
    // The node whose row holds the point (its label, icon, indent or the space right of it).
    Node NodeAt(POINT client) const;
    // Starts editing the node's label, as a slow second click does.
    void EditLabel(Node node);
    bool Editing() const;

    void SetImageList(HIMAGELIST images);  // the normal list; not owned
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool showRoot);
    // In design pixels.
    void SetIndent(int pixels);
    void DpiChanged(int oldDpi) override;

protected:
    // The node is about to expand; filling it now is the place for lazy children.
    virtual void Expanding(Node) {}
    virtual void SelectionChanged(Node) {}
    // The node is deleted (by Clear or by deleting an ancestor); free what its data holds.
    virtual void Deleting(Node, LPARAM) {}
    virtual bool CanEdit(Node) { return !readOnly_; }
    // Editing ended with new text; the label keeps the text only when this returns true.
    virtual bool Edited(Node, const std::wstring&) { return true; }
    // A right-click reported by the control, at the pointer's place in client coordinates.
    virtual void RightClick(POINT) {}
    // The images of a node added with kImagesOnDemand, asked for when it is first drawn: kept
    // when this returns true, else asked for again the next time it is drawn (stand-ins).
    virtual bool NodeImages(Node, int& /*image*/, int& /*selectedImage*/) { return true; }
    // The text of a node added with TextOnDemand, asked for once; the tree keeps it.
    virtual std::wstring NodeText(Node) { return {}; }

    bool Notify(const NMHDR& header, LRESULT& result) override;

private:
    void ApplyStyle(DWORD style, bool on);

    bool readOnly_ = false;
    bool showRoot_ = false;
    int indent_ = 0;
};

}  // namespace morvane
