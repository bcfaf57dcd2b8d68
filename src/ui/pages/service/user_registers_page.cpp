#include "ui/pages/service/user_registers_page.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <optional>

#include "blocks/user_registers.h"
#include "ui/app_context.h"
#include "ui/pages/page_widgets.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

constexpr int kGridRows = 1 + kUserRegisterCount;  // the fixed row and the eight registers
constexpr int kGridColumns = 5;
constexpr char32_t kEnter = 13;
constexpr char32_t kBackspace = 8;
const char kEditRowProperty[] = "qmx_edit_row";
const char kFilledTextProperty[] = "qmx_filled_text";

// The character a key types, as the filter sees it; nothing for keys that
// do not type (arrows, Escape, Tab, shortcuts), which the editor handles.
std::optional<char32_t> TypedKey(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kEnter;
  if (key.key() == Qt::Key_Backspace) return kBackspace;
  const QList<uint> text = key.text().toUcs4();
  if (text.size() != 1 || text.front() < 0x20 || text.front() == 0x7F) return std::nullopt;
  return static_cast<char32_t>(text.front());
}

// The editor of a user-register cell: every typed key goes through the
// block's filter, which marks the row; the row is then repainted.  Text that
// arrives without keys (a paste) is held to four hexadecimal digits by the
// validator and marks the row as well.
class UserRegisterDelegate final : public QStyledItemDelegate {
 public:
  UserRegisterDelegate(AppContext& context, QTableWidget* grid)
      : QStyledItemDelegate(grid), context_(context), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                        const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    editor->setAlignment(Qt::AlignCenter);
    editor->setFont(grid_->font());
    editor->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,4}")), editor));
    // The edit cell: where the typed keys go.
    const int row = index.row();
    editor->setProperty(kEditRowProperty, row);
    connect(editor, &QLineEdit::textEdited, this, [this, row] {
      if (row >= 1 && row <= kUserRegisterCount) {
        context_.profile.user_registers
            .changed[static_cast<size_t>(row - 1 + kFirstUserRegisterEntry)] = true;
      }
      Repaint();
    });
    return editor;
  }

  // Painting a row changes its item, and the view then asks to fill the
  // open editor again; the editor keeps what is being typed unless the
  // cell's text itself has changed (a read that came in meanwhile).
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(Qt::EditRole).toString();
    const QVariant filled = editor->property(kFilledTextProperty);
    if (filled.isValid() && filled.toString() == text) return;
    editor->setProperty(kFilledTextProperty, text);
    QStyledItemDelegate::setEditorData(editor, index);
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor == nullptr || event->type() != QEvent::KeyPress) {
      return QStyledItemDelegate::eventFilter(object, event);
    }
    const std::optional<char32_t> typed = TypedKey(*static_cast<QKeyEvent*>(event));
    if (!typed) return QStyledItemDelegate::eventFilter(object, event);
    const auto kept = static_cast<size_t>(editor->text().size() - editor->selectedText().size());
    const std::optional<char32_t> accepted = StringGrid1KeyPress(
        context_.profile.user_registers, editor->property(kEditRowProperty).toInt(), kept, *typed);
    Repaint();
    if (!accepted) return true;
    if (*accepted != *typed) {
      editor->insert(QString::fromUcs4(&*accepted, 1));
      return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  void Repaint() const {
    WidgetControls controls(grid_->window());
    PaintUserRegisters(controls, context_.profile.user_registers);
  }

  AppContext& context_;
  QTableWidget* grid_;
};

QTableWidget* MakeGrid(QWidget* page, AppContext& context) {
  auto* grid = new QTableWidget(kGridRows, kGridColumns, page);
  grid->setObjectName(QString::fromLatin1(kUserRegistersGrid));
  grid->setToolTip(QString::fromUtf8(kUserRegistersHint));
  // The fixed row and column are the grid's own cells, as the block counts them.
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  QFont font = grid->font();
  font.setPointSize(14);
  font.setBold(true);
  grid->setFont(font);
  grid->verticalHeader()->setDefaultSectionSize(30);
  grid->setColumnWidth(0, 30);
  grid->setColumnWidth(1, 110);
  for (int column = 2; column < kGridColumns; ++column) grid->setColumnWidth(column, 64);
  const QColor button_face(kColorButtonFace.r, kColorButtonFace.g, kColorButtonFace.b);
  for (int row = 0; row < kGridRows; ++row) {
    for (int column = 0; column < kGridColumns; ++column) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      item->setForeground(Qt::black);
      const bool editable = StringGrid1SelectCell(column, row);
      item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                              : Qt::ItemIsEnabled);
      if (!editable) item->setBackground(button_face);
      grid->setItem(row, column, item);
    }
  }
  grid->setItemDelegate(new UserRegisterDelegate(context, grid));
  grid->setMinimumSize(30 + 110 + 3 * 64 + 4, kGridRows * 30 + 4);
  return grid;
}

}  // namespace

UserRegistersPage::UserRegistersPage(AppContext& context, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_UserRegisters"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeGrid(this, context), 0, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(this, "Button47", "Прочитать"));
  buttons->addWidget(MakeButton(this, "Button48", "Записать"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 1, 0);
  grid->addWidget(MakeStatusPanel(this, "Panel48"), 2, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
