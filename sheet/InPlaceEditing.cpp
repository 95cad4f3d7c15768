#include "sheet/InPlaceEditing.h"

#include "costline/ControlJsj.h"
#include "costline/Twips.h"
#include "sheet/ClipboardTable.h"
#include "sheet/CostSheet.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>
#include <functional>

using namespace CellEditing;

namespace {
bool inside(const QWidget *widget, const QWidget *container)
{
    return widget && (widget == container || container->isAncestorOf(widget));
}

// Rows as high as the editors laid over them, so that an editor covers its own row and no more. A
// text cut off with "…" shows whole in its tooltip; the expression of the row whose expression
// editor is open is not drawn, so that no old text shows beside the narrower editor.
class SheetDelegate : public QStyledItemDelegate
{
public:
    SheetDelegate(int height, std::function<bool(const QModelIndex &)> hidden, QObject *parent)
        : QStyledItemDelegate(parent), m_height(height), m_hidden(std::move(hidden))
    {
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
    }
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_hidden(index))
            option->text.clear();
    }
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = item.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        if (!item.text.isEmpty() && item.fontMetrics.horizontalAdvance(item.text) > textRect.width() - 2 * margin)
            QToolTip::showText(event->globalPos(), item.text, view);
        else
            QToolTip::hideText();
        return true;
    }

private:
    int m_height;
    std::function<bool(const QModelIndex &)> m_hidden;
};
} // namespace

InPlaceEditing::InPlaceEditing(CostSheet &sheet, QTreeView *list, QComboBox *categoryEditor, QLineEdit *contentEditor,
                               ControlJsj *expressionEditor, QWidget *window)
    : QObject(window), m_sheet(sheet), m_list(list), m_category(categoryEditor), m_content(contentEditor),
      m_expression(expressionEditor), m_window(window)
{
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    // What is typed is what is stored: no completion from the list.
    m_category->setCompleter(nullptr);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    // Keys reach the combo box, which hands them to its line edit without filters.
    m_category->installEventFilter(this);
    // Enter in the open drop-down list; the list's own handling comes after this filter.
    m_category->view()->installEventFilter(this);
    m_content->installEventFilter(this);
    m_category->hide();
    m_content->hide();
    m_expression->hide();

    connect(m_expression, &ControlJsj::ChangeText, this, [this] {
        m_sheet.EditorChange(m_expression->StrBds(), m_expression->CurHjje());
        m_window->update();
    });
    connect(m_expression, &ControlJsj::Resize, this, &InPlaceEditing::followExpressionEditorWidth);
    // A text that reaches a description by another way than Ctrl+V (the context menu, the middle
    // button, a drop) loses its control characters all the same.
    for (QLineEdit *editor : {m_content, m_category->lineEdit()})
        connect(editor, &QLineEdit::textEdited, this, [editor](const QString &text) {
            const QString line = AsOneLine(text, false);
            if (line != text) {
                const int cursor = int(AsOneLine(QStringView(text).left(editor->cursorPosition()), false).size());
                editor->setText(line);
                editor->setCursorPosition(cursor);
            }
        });
    connect(qApp, &QApplication::focusChanged, this, &InPlaceEditing::onFocusChanged);

    // Editors and rows of one height, tall enough for the editors' texts in the window's font.
    m_editorHeight = std::max({m_category->minimumSizeHint().height(), m_content->minimumSizeHint().height(),
                               m_expression->fieldHeight(), m_list->fontMetrics().height() + 2});
    m_list->setItemDelegate(new SheetDelegate(
        m_editorHeight,
        [this](const QModelIndex &index) {
            return index.column() == ExpressionColumn && index.row() + 1 == m_sheet.CurRow() &&
                   m_expression->isVisible();
        },
        m_list));
    m_expression->installEventFilter(this);
    m_expression->resize(m_expression->width(), m_editorHeight);

    // An editor stays over its cell: scrolling the list ends the edit, as a click elsewhere would.
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &InPlaceEditing::endEdit);
    connect(m_list->horizontalScrollBar(), &QScrollBar::valueChanged, this, &InPlaceEditing::endEdit);
}

QPointF InPlaceEditing::listOrigin() const
{
    const QPoint origin = m_list->mapTo(m_window, QPoint(0, 0));
    return {PixelsToTwips(origin.x()), PixelsToTwips(origin.y())};
}

ColumnSpans InPlaceEditing::columnSpans() const
{
    ColumnSpans spans;
    const QHeaderView *header = m_list->header();
    const int viewportLeft = m_list->viewport()->geometry().left();
    for (int i = 0; i < int(spans.size()); ++i) {
        spans[i].left = float(PixelsToTwips(viewportLeft + header->sectionViewportPosition(i)));
        spans[i].width = float(PixelsToTwips(header->sectionSize(i)));
    }
    return spans;
}

RowGrid InPlaceEditing::rowGrid() const
{
    RowGrid grid;
    const QAbstractItemModel *model = m_list->model();
    grid.rowCount = model ? model->rowCount() : 0;
    if (grid.rowCount == 0)
        return grid;
    const QRect first = m_list->visualRect(model->index(0, 0));
    grid.firstTop = float(PixelsToTwips(m_list->viewport()->geometry().top() + first.top()));
    grid.rowHeight = float(PixelsToTwips(first.height()));
    return grid;
}

void InPlaceEditing::endEdit()
{
    QWidget *focus = QApplication::focusWidget();
    if (inside(focus, m_category) || inside(focus, m_content) || m_expression->holds(focus))
        m_list->setFocus(Qt::OtherFocusReason); // commits and hides through the focus change
    // In a window that is not active the focus change is not reported: commit here as well.
    if (m_category->isVisible())
        commitCategory();
    if (m_content->isVisible())
        commitContent();
    m_expression->hide();
}

void InPlaceEditing::EditCell(int column, int row)
{
    // A click below the last row names a row that does not exist: nothing to edit there.
    if (!m_sheet.hasRow(row))
        return;
    const ColumnSpans spans = columnSpans();
    const QPointF origin = listOrigin();
    const float rowTop = rowGrid().top(row);
    const CostLine &line = m_sheet.row(row);

    if (column == CategoryColumn || column == ContentColumn) {
        const Placement p = editorPlacement(float(origin.x()), float(origin.y()), spans[column], rowTop);
        const QRect rect(TwipsToPixels(p.left), TwipsToPixels(p.top), TwipsToPixels(p.width), m_editorHeight);
        if (column == CategoryColumn) {
            m_category->setGeometry(rect);
            // The drop-down list starts at the row's category (Down from 房 gives 餐), or before
            // the first item for a text that is not in the list.
            m_category->setCurrentIndex(m_category->findText(line.Category));
            m_category->setEditText(line.Category);
            m_category->show();
            m_category->raise();
            const Selection s = categorySelection(m_category->currentText());
            m_category->lineEdit()->setSelection(s.start, s.length);
            m_category->setFocus(Qt::OtherFocusReason);
        } else {
            m_content->setGeometry(rect);
            m_content->setText(line.Content);
            m_content->show();
            m_content->raise();
            const Selection s = contentSelection(m_content->text());
            m_content->setSelection(s.start, s.length);
            m_content->setFocus(Qt::OtherFocusReason);
        }
    } else if (column == ExpressionColumn) {
        const Placement p = editorPlacement(float(origin.x()), float(origin.y()), spans[column], rowTop);
        m_expression->move(TwipsToPixels(p.left), TwipsToPixels(p.top));
        m_expression->setStrBds(line.Expression);
        // Every change this makes comes back into the row through ChangeText.
        m_expression->ReadStrBds();
        m_expression->show();
        m_expression->raise();
        m_expression->setFocus(Qt::OtherFocusReason);
    }
}

void InPlaceEditing::recordMouse(const QPoint &viewportPos)
{
    const QPoint inList = m_list->viewport()->mapTo(m_list, viewportPos);
    m_mouseX = float(PixelsToTwips(inList.x()));
    m_mouseY = float(PixelsToTwips(inList.y()));
}

void InPlaceEditing::resolveClick()
{
    const int column = resolveColumn(m_mouseX, columnSpans());
    const int row = resolveRow(m_mouseY, rowGrid());
    m_sheet.setCurRow(qBound(-32768, row, 32767));
    EditCell(column, row);
}

void InPlaceEditing::commitCategory()
{
    if (m_sheet.hasRow(m_sheet.CurRow()))
        m_sheet.setCategory(m_sheet.CurRow(), m_category->currentText());
    m_category->hide();
}

void InPlaceEditing::commitContent()
{
    if (m_sheet.hasRow(m_sheet.CurRow()))
        m_sheet.setContent(m_sheet.CurRow(), m_content->text());
    m_content->hide();
}

void InPlaceEditing::pasteAsOneLine(QLineEdit *editor)
{
    // A copied table or cell pasted into one description: one line, its cells and lines apart by
    // a space, the line end a spreadsheet puts after a copied cell dropped.
    editor->insert(AsOneLine(QApplication::clipboard()->text(), true));
}

void InPlaceEditing::followExpressionEditorWidth()
{
    const ColumnSpans spans = columnSpans();
    const QPointF origin = listOrigin();
    const float left =
        expressionEditorLeft(float(PixelsToTwips(m_expression->x())), float(PixelsToTwips(m_expression->width())),
                             float(PixelsToTwips(m_window->width())), float(origin.x()), spans[ExpressionColumn].left,
                             spans[AmountColumn].left);
    m_expression->move(TwipsToPixels(left), m_expression->y());
}

void InPlaceEditing::onFocusChanged(QWidget *old, QWidget *now)
{
    // Focus leaving for nowhere (another application) or into a drop-down list is no end of an edit.
    if (!now || now->window()->windowType() == Qt::Popup)
        return;
    if (inside(old, m_category) && !inside(now, m_category))
        commitCategory();
    if (inside(old, m_content) && !inside(now, m_content))
        commitContent();
    if (m_expression->holds(old) && !m_expression->holds(now))
        m_expression->hide();
}

bool InPlaceEditing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            recordMouse(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonPress:
            recordMouse(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            recordMouse(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton)
                resolveClick();
            break;
        }
        default:
            break;
        }
        return false;
    }
    if (watched == m_expression) {
        // The cell under the editor is drawn without its text while the editor is open.
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide)
            m_list->viewport()->update();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        if ((watched == m_category || watched == m_content) &&
            static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
            pasteAsOneLine(watched == m_content ? m_content : m_category->lineEdit());
            return true;
        }
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == m_category->view() && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            // Enter picks the highlighted category and moves on, as Enter in the closed box does.
            const QModelIndex picked = m_category->view()->currentIndex();
            if (picked.isValid())
                m_category->setCurrentIndex(picked.row());
            m_category->hidePopup();
            commitCategory();
            EditCell(ContentColumn, m_sheet.CurRow());
            return true;
        }
        if (watched == m_category && categoryKeyMovesOn(key)) {
            commitCategory();
            EditCell(ContentColumn, m_sheet.CurRow());
            return true;
        }
        if (watched == m_content && contentKeyMovesOn(key)) {
            commitContent();
            EditCell(ExpressionColumn, m_sheet.CurRow());
            return true;
        }
    }
    return false;
}
