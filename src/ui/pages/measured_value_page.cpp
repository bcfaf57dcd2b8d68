#include "ui/pages/measured_value_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <tuple>
#include <utility>

#include "ui/app_context.h"
#include "ui/pages/page_widgets.h"
#include "ui/trend/trend_view.h"

namespace qmx {
namespace {

// A value panel wide enough for "%-11.4f" and the state panel beside it.
void AddQuantityRow(QGridLayout* grid, int row, const char* caption, const char* value_panel,
                    const char* state_panel, const char* unit) {
  QWidget* page = grid->parentWidget();
  grid->addWidget(MakeCaption(page, caption), row, 0);
  QLabel* value = MakePanel(page, value_panel);
  value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-000000.0000 ")));
  grid->addWidget(InSteadyCell(value), row, 1);
  grid->addWidget(MakeCaption(page, unit), row, 2);
  QLabel* state = MakePanel(page, state_panel);
  state->setMinimumWidth(
      state->fontMetrics().horizontalAdvance(QStringLiteral("Нормальное измерение, отсечка ")));
  grid->addWidget(state, row, 3, 1, 3);
}

}  // namespace

MeasuredValuePage::MeasuredValuePage(AppContext& context, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasuredValue"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeButton(this, "Button3", "Прочитать однократно"), 0, 0);
  grid->addWidget(MakeButton(this, "Button4", "Начать циклический опрос"), 0, 1);
  QPushButton* stop = MakeButton(this, "Button5", "Завершить цикл. опрос");
  stop->setEnabled(false);  // nothing is polled until the operator starts it
  grid->addWidget(stop, 0, 2);
  grid->addWidget(MakeButton(this, "Button8", "Сброс счетчиков"), 0, 3);
  // Device commands offered beside the values they reset.
  grid->addWidget(MakeButton(this, "Button9", "Сбросить накопл. объем"), 0, 4);
  grid->addWidget(MakeButton(this, "Button85", "Сброс времени наработки"), 0, 5);
  // Whether each cycle leaves a line in the measurement record file; the
  // switch lives in the profile, the box only shows it.
  QCheckBox* records = MakeCheckBox(this, "CheckBox5", "Запись результатов ");
  records->setToolTip(QStringLiteral("При выставлении флажка пишем измеренные значения в файл"));
  connect(records, &QCheckBox::clicked, this,
          [&context](bool checked) { context.profile.records.write_file = checked ? 1 : 0; });
  grid->addWidget(records, 0, 6);
  // The latch commands are kept for the service engineer but not offered.
  MakeButton(this, "Button6", "Защелкнуть значение")->hide();
  MakeButton(this, "Button7", "Прочитать защелкнутое")->hide();

  // Flow: value, unit, state; the relative flow is read but kept out of sight.
  grid->addWidget(MakeCaption(this, "Расход"), 1, 0);
  QLabel* flow = MakePanel(this, "Panel1");
  flow->setMinimumWidth(flow->fontMetrics().horizontalAdvance(QStringLiteral("-000000.0000 ")));
  grid->addWidget(InSteadyCell(flow), 1, 1);
  grid->addWidget(MakeValueLabel(this, "Label11", "UNIT"), 1, 2);
  QLabel* flow_state = MakePanel(this, "Panel5");
  grid->addWidget(flow_state, 1, 3, 1, 3);
  MakePanel(this, "Panel2")->hide();
  MakePanel(this, "Panel3")->hide();
  grid->addWidget(MakeCaption(this, "к стандартным условиям"), 2, 0);
  grid->addWidget(InSteadyCell(MakePanel(this, "Panel114")), 2, 1);

  AddQuantityRow(grid, 3, "Давление", "Panel51", "Panel53", "кПа");
  AddQuantityRow(grid, 4, "Температура трубы", "Panel4", "Panel44", "°C");
  AddQuantityRow(grid, 5, "Температура модуля", "Panel56", "Panel57", "°C");
  AddQuantityRow(grid, 6, "Температура 1", "Panel58", "Panel59", "°C");
  AddQuantityRow(grid, 7, "Температура 2", "Panel60", "Panel61", "°C");
  AddQuantityRow(grid, 8, "Скорость потока", "Panel54", "Panel55", "м/с");

  // The volumes: labels while they are sound, the panels under them light up
  // with the values when the volume state is abnormal.
  int column = 1;
  for (auto [caption, label, panel] :
       {std::tuple{"Накопл. суммарный объем", "Label318", "Panel62"},
        std::tuple{"U+", "Label319", "Panel76"}, std::tuple{"U-", "Label320", "Panel77"},
        std::tuple{"| U |", "Label321", "Panel78"}}) {
    grid->addWidget(MakeCaption(this, caption), 9, column);
    grid->addWidget(MakeValueLabel(this, label), 10, column);
    grid->addWidget(MakePanel(this, panel), 11, column);
    ++column;
  }
  grid->addWidget(MakeValueLabel(this, "Label47", "UNIT"), 10, 0);
  grid->addWidget(MakeCaption(this, "Время сек"), 9, column);
  grid->addWidget(MakeValueLabel(this, "Label322"), 10, column);
  grid->addWidget(MakePanel(this, "Panel112"), 11, column);
  grid->addWidget(MakeCaption(this, "Время наработки, с"), 12, 0);
  grid->addWidget(MakeValueLabel(this, "Label340"), 12, 1);
  grid->addWidget(MakeCaption(this, "Состояние объема"), 13, 0);
  grid->addWidget(MakePanel(this, "Panel63"), 13, 1, 1, 4);

  grid->addWidget(MakeCaption(this, "Состояние обмена"), 14, 0);
  grid->addWidget(MakePanel(this, "Panel6"), 14, 1, 1, 2);

  // Front-panel keys, discrete outputs and write protection.
  column = 0;
  for (auto [name, caption] : {std::pair{"Panel7", "След. пункт"}, std::pair{"Panel8", "Изменить"},
                               std::pair{"Panel9", "Выполнить"}, std::pair{"Panel10", "Отмена"},
                               std::pair{"Panel11", "Дискр вых 1"},
                               std::pair{"Panel41", "Дискр вых 2"}, std::pair{"Panel113", "WP"}}) {
    QLabel* panel = MakePanel(this, name, caption);
    if (column == 3) {
      panel->hide();  // the cancel key is not on the instrument's front
    } else {
      grid->addWidget(panel, 15, column > 3 ? column - 1 : column);
    }
    ++column;
  }

  // The counters of the cyclic poll, under their captions.
  column = 0;
  for (auto [caption, name] :
       {std::pair{"Число циклов обмена", "Label23"}, std::pair{"Ошибки в измерении", "Label24"},
        std::pair{"Ошибки в обмене", "Label25"}, std::pair{"Переспросы", "Label26"}}) {
    grid->addWidget(MakeCaption(this, caption), 16, column);
    QLabel* counter = MakeValueLabel(this, name, "0");
    counter->setFrameShape(QFrame::StyledPanel);
    counter->setFrameShadow(QFrame::Sunken);
    counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    grid->addWidget(counter, 17, column);
    ++column;
  }
  // Shown only while a cyclic poll is busy.
  QLabel* busy = MakePanel(this, "Panel45");
  busy->hide();
  grid->addWidget(busy, 18, 0, 1, 4);
  // The trend under everything, folded away until the engineer opens it.
  grid->addWidget(new TrendView(context.dialogs, TrendView::Mode::kLive, "TrendEngineering", this),
                  19, 0, 1, 7);
  PushToTopLeft(grid);
}

}  // namespace qmx
