#include "TreeWidgetNodes.h"

#include "Cp1252.h"

#include <QAbstractItemView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <typeinfo>

namespace kodexa::tree {

namespace {

QString fromCp1252(std::string_view text) {
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : text)
        *out++ = QChar(static_cast<char16_t>(cp1252::toCodePoint(c)));
    return result;
}

// Compares UTF-16 units against Windows-1252 characters one by one: the code page lies within the
// Basic Multilingual Plane, so one unit is one character.
bool leadingUnitsEqual(const QString& text, std::size_t n, std::string_view taken) {
    const std::size_t length = std::min(n, static_cast<std::size_t>(text.size()));
    if (length != taken.size())
        return false;
    const QChar* units = text.constData();
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(taken[i]);
        const char32_t expected = byte < 0x80 ? byte : cp1252::toCodePoint(taken[i]);
        if (units[i].unicode() != expected)
            return false;
    }
    return true;
}

// An item that the code tree appends. Beside the item's own data it keeps its text as a plain
// string, which the build reads some 280,000 times: that spares a virtual call and a variant per
// comparison, a fifth of the whole build. Every change of the text passes through setData, which
// keeps the two the same.
class CodeTreeItem final : public QTreeWidgetItem {
public:
    explicit CodeTreeItem(const QString& text) { setText(0, text); }

    void setData(int column, int role, const QVariant& value) override {
        QTreeWidgetItem::setData(column, role, value);
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
            text_ = QTreeWidgetItem::data(0, Qt::DisplayRole).toString();
    }

    const QString& displayText() const { return text_; }

private:
    QString text_;
};

} // namespace

std::size_t TreeWidgetNodes::count() const {
    return tree_->topLevelItemCount() == 0 ? 0 : appended_;
}

NodeRef TreeWidgetNodes::addChild(NodeRef parent, std::string_view text) {
    if (tree_->topLevelItemCount() == 0)
        appended_ = 0; // the widget was cleared since the last node was appended
    // The text is set before the item joins the tree, so that the model announces only the insert.
    auto* node = new CodeTreeItem(fromCp1252(text));
    itemOrTop(parent)->addChild(node);
    ++appended_;
    return NodeRef(static_cast<QTreeWidgetItem*>(node));
}

QTreeWidgetItem* TreeWidgetNodes::itemOrTop(NodeRef node) const {
    return node ? item(node) : tree_->invisibleRootItem();
}

std::size_t TreeWidgetNodes::childCount(NodeRef node) const {
    return static_cast<std::size_t>(itemOrTop(node)->childCount());
}

NodeRef TreeWidgetNodes::child(NodeRef node, std::size_t index) const {
    return NodeRef(itemOrTop(node)->child(static_cast<int>(index)));
}

bool TreeWidgetNodes::leadingTextEquals(NodeRef node, std::size_t n, std::string_view taken) const {
    const QTreeWidgetItem* treeItem = item(node);
    // Told apart by the exact dynamic type, which is cheaper than a dynamic_cast. The item's type
    // number would not do: a clone keeps it but is a plain QTreeWidgetItem.
    if (typeid(*treeItem) == typeid(CodeTreeItem))
        return leadingUnitsEqual(static_cast<const CodeTreeItem*>(treeItem)->displayText(), n, taken);
    return leadingUnitsEqual(treeItem->text(0), n, taken);
}

void TreeWidgetNodes::expand(NodeRef node) {
    item(node)->setExpanded(true);
}

void TreeWidgetNodes::select(NodeRef node) {
    tree_->setCurrentItem(item(node));
}

void configureCodeTreeView(QTreeWidget* tree) {
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setIndentation(19);
    tree->setRootIsDecorated(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setUniformRowHeights(true);
}

} // namespace kodexa::tree
