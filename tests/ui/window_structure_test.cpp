// The window as the instrument's documentation lays it out: the five page
// sets with their pages, the operator and engineering views, the choice
// lists and hints, the status panels, the menus, the tab marking and the
// page pictures.  No instrument is needed: the window is only built.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "operator/scripted_dialogs.h"
#include "ui/app_context.h"
#include "ui/choice_lists.h"
#include "ui/link_bar.h"
#include "ui/main_window.h"
#include "ui/page_sets.h"
#include "ui/screenshots.h"

// Readable failure messages for Qt's strings.
static void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace qmx {
namespace {

class NoPorts final : public PortProvider {
 public:
  std::unique_ptr<SerialPort> Open(uint16_t, const LineConfig&, std::string* error) override {
    if (error != nullptr) *error = "no port on this machine";
    return nullptr;
  }
  std::string DevicePath(uint16_t) override { return {}; }
};

QStringList Utf8(std::initializer_list<const char*> texts) {
  QStringList list;
  for (const char* text : texts) list << QString::fromUtf8(text);
  return list;
}

QStringList Titles(const QTabWidget* set) {
  QStringList titles;
  for (int i = 0; i < set->count(); ++i) titles << set->tabText(i);
  return titles;
}

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

QStringList Numbers(int first, int last, int width = 0) {
  QStringList items;
  for (int value = first; value <= last; ++value) items << QStringLiteral("%1").arg(value, width);
  return items;
}

// The page (TabSheet_...) a control lies on.
QString SheetOf(const QWidget* widget) {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    if (w->objectName().startsWith(QLatin1String("TabSheet_"))) return w->objectName();
  }
  return QString();
}

class WindowStructure : public ::testing::Test {
 protected:
  WindowStructure() {
    dialogs_.SetFailureHandler([](std::string_view message) { ADD_FAILURE() << message; });
    dialogs_.ExpectNoBoxes();
  }

  template <class T>
  T* Find(const char* name) {
    return window_.findChild<T*>(QLatin1String(name));
  }
  QComboBox* List(const char* name) {
    auto* list = Find<QComboBox>(name);
    EXPECT_NE(list, nullptr) << name;
    return list;
  }
  std::vector<int> HiddenTabs(const QTabWidget* set) {
    std::vector<int> hidden;
    for (int i = 0; i < set->count(); ++i) {
      if (!set->isTabVisible(i)) hidden.push_back(i);
    }
    return hidden;
  }

  NoPorts ports_;
  SystemClock clock_;
  ScriptedDialogs dialogs_;
  AppContext context_{ports_, clock_, dialogs_};
  MainWindow window_{context_};
};

TEST_F(WindowStructure, IsForm1WithItsCaptionInABoldSansSerifFace) {
  EXPECT_EQ(window_.objectName(), "Form1");
  EXPECT_EQ(window_.windowTitle(), "QMX41_Config_V 3.2");
  EXPECT_TRUE(window_.font().bold());
  ASSERT_FALSE(window_.font().families().isEmpty());
  EXPECT_EQ(window_.font().families().front(), "Liberation Sans");
  EXPECT_EQ(window_.font().styleHint(), QFont::SansSerif);
  // The pages inherit the face; nothing sets its own.
  EXPECT_TRUE(window_.PageControl5()->widget(2)->font().bold());
  if (QFontDatabase::families().contains(QStringLiteral("Liberation Sans"))) {
    EXPECT_EQ(QFontInfo(window_.font()).family(), "Liberation Sans");
  }
}

TEST_F(WindowStructure, PageSetsHoldEveryPageInOrder) {
  EXPECT_EQ(Titles(window_.PageControl1()),
            Utf8({"Измеренное значение", "Настройка параметров", "АЦП", "Параметры обмена", "Поиск",
                  "Градуировки", "Отладка АЦП", "Отладка измерения", "Целостность кода",
                  "Совместимость с Тальвером", "Пользовательские регистры",
                  "Параметры из модуля измерения", "Изм. модуль"}));
  // "Дискр." without the trailing blank the profile's page table has.
  EXPECT_EQ(Titles(window_.PageControl2()),
            Utf8({"Измерение", "Выходы", "Частотный выход", "Импульсный выход", "Общеприборные",
                  "Внешние данные", "Дискр.", "Архивация"}));
  EXPECT_EQ(Titles(window_.PageControl3()),
            Utf8({"Измеренное значение", "Параметры измерения", "Градуировки", "Очистка электродов",
                  "Пересчет к стандартным условиям"}));
  EXPECT_EQ(Titles(window_.PageControl4()),
            Utf8({"ИЗМЕРЕНИЕ", "НАСТРОЙКИ РАБОТЫ", "НАСТРОЙКИ ПРОГРАММЫ"}));
  EXPECT_EQ(Titles(window_.PageControl5()), Utf8({"ИЗМЕРЕНИЕ", "ВЫХОД", "ОБМЕН", "ВРЕМЯ",
                                                  "ОБСЛУЖИВАНИЕ", "АРХИВ", "ДОП. НАСТРОЙКИ"}));

  const char* names[] = {"PageControl1", "PageControl2", "PageControl3", "PageControl4",
                         "PageControl5"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(window_.PageSets()[i]->objectName(), names[i]);
    EXPECT_EQ(Find<QTabWidget>(names[i]), window_.PageSets()[i]);
  }
}

TEST_F(WindowStructure, NestedSetsLieUnderTheirPages) {
  EXPECT_TRUE(window_.PageControl1()->widget(1)->isAncestorOf(window_.PageControl2()));
  EXPECT_TRUE(window_.PageControl2()->widget(5)->isAncestorOf(window_.PageControl3()));
  EXPECT_TRUE(window_.PageControl4()->widget(1)->isAncestorOf(window_.PageControl5()));
  EXPECT_TRUE(window_.Panel115()->isAncestorOf(window_.PageControl4()));
  EXPECT_EQ(window_.Panel115()->objectName(), "Panel115");
  EXPECT_FALSE(window_.Panel115()->isAncestorOf(window_.PageControl1()));
  EXPECT_FALSE(window_.Panel115()->isAncestorOf(window_.TopBar()));

  // Every page is a sheet with a name of its own, ASCII for file names.
  QSet<QString> sheets;
  for (const QTabWidget* set : window_.PageSets()) {
    for (int i = 0; i < set->count(); ++i) {
      const QString name = set->widget(i)->objectName();
      EXPECT_TRUE(name.startsWith(QLatin1String("TabSheet_"))) << name.toStdString();
      for (QChar c : name) EXPECT_LT(c.unicode(), 128) << name.toStdString();
      EXPECT_FALSE(sheets.contains(name)) << name.toStdString();
      sheets.insert(name);
    }
  }
  EXPECT_EQ(sheets.size(), 13 + 8 + 5 + 3 + 7);
}

TEST_F(WindowStructure, OperatorViewShowsPanel115AloneWithTheDesignedTabsHidden) {
  EXPECT_FALSE(window_.EngineeringView());
  EXPECT_TRUE(window_.Panel115()->isVisibleTo(&window_));
  EXPECT_FALSE(window_.PageControl1()->isVisibleTo(&window_));
  EXPECT_FALSE(window_.TopBar()->isVisibleTo(&window_));
  EXPECT_FALSE(window_.menuBar()->isVisibleTo(&window_));
  EXPECT_EQ(HiddenTabs(window_.PageControl1()), (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(HiddenTabs(window_.PageControl5()), (std::vector<int>{4, 5}));
  for (QTabWidget* set : {window_.PageControl2(), window_.PageControl3(), window_.PageControl4()}) {
    EXPECT_TRUE(HiddenTabs(set).empty()) << set->objectName().toStdString();
  }
}

TEST_F(WindowStructure, EngineeringViewShowsEveryTabTheLinkBarAndTheMenu) {
  std::vector<bool> reported;
  QObject::connect(&window_, &MainWindow::engineeringViewChanged,
                   [&reported](bool on) { reported.push_back(on); });

  window_.SetEngineeringView(true);
  EXPECT_TRUE(window_.EngineeringView());
  EXPECT_TRUE(HiddenTabs(window_.PageControl1()).empty());
  EXPECT_TRUE(window_.PageControl1()->isVisibleTo(&window_));
  EXPECT_TRUE(window_.TopBar()->isVisibleTo(&window_));
  EXPECT_TRUE(window_.menuBar()->isVisibleTo(&window_));
  EXPECT_FALSE(window_.Panel115()->isVisibleTo(&window_));
  EXPECT_TRUE(window_.EngineeringViewAction()->isChecked());
  // The optional operator pages are the profile's business, not the view's.
  EXPECT_EQ(HiddenTabs(window_.PageControl5()), (std::vector<int>{4, 5}));

  // A page whose tab the operator layout hides stays the open page across
  // the switch, as the profile remembers it.
  window_.PageControl1()->setCurrentIndex(6);
  window_.SetEngineeringView(false);
  EXPECT_EQ(window_.PageControl1()->currentIndex(), 6);
  EXPECT_EQ(HiddenTabs(window_.PageControl1()), (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_FALSE(window_.menuBar()->isVisibleTo(&window_));
  EXPECT_FALSE(window_.EngineeringViewAction()->isChecked());

  window_.SetEngineeringView(false);  // no change, no report
  EXPECT_EQ(reported, (std::vector<bool>{true, false}));
}

TEST_F(WindowStructure, CtrlShiftETogglesTheViewAlsoWhereTheMenuIsHidden) {
  window_.show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  EXPECT_TRUE(window_.actions().contains(window_.EngineeringViewAction()));
  EXPECT_EQ(window_.EngineeringViewAction()->shortcut(),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));

  QTest::keyClick(&window_, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(window_.EngineeringView());
  EXPECT_TRUE(window_.menuBar()->isVisible());
  QTest::keyClick(&window_, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(window_.EngineeringView());
  EXPECT_TRUE(window_.Panel115()->isVisible());
  window_.hide();
}

TEST_F(WindowStructure, OptionalOperatorPagesFollowTheirProfileKeysExactly) {
  QTabWidget* work = window_.PageControl5();
  window_.ApplyOptionalTabs(1, 0);
  EXPECT_TRUE(work->isTabVisible(5));   // "АРХИВ"
  EXPECT_FALSE(work->isTabVisible(4));  // "ОБСЛУЖИВАНИЕ"
  window_.ApplyOptionalTabs(0, 1);
  EXPECT_FALSE(work->isTabVisible(5));
  EXPECT_TRUE(work->isTabVisible(4));
  window_.ApplyOptionalTabs(2, 65535);  // only 1 switches a page on
  EXPECT_EQ(HiddenTabs(work), (std::vector<int>{4, 5}));

  // The profile may have opened a page whose tab then stays hidden: it
  // remains the page on screen.
  window_.ApplyOptionalTabs(1, 1);
  work->setCurrentIndex(5);
  window_.ApplyOptionalTabs(0, 0);
  EXPECT_EQ(work->currentIndex(), 5);
  EXPECT_EQ(HiddenTabs(work), (std::vector<int>{4, 5}));
}

struct ListShape {
  std::vector<const char*> names;
  int count;
  const char* first;
  const char* last;
};

TEST_F(WindowStructure, EveryChoiceListHoldsItsItems) {
  const ListShape shapes[] = {
      {{"ComboBox2", "ComboBox39", "ComboBox46", "ComboBox14"}, 8, "1200", "115200"},
      {{"ComboBox40", "ComboBox47"}, 3, "Без паритета", "Четный"},
      {{"ComboBox3", "ComboBox15", "ComboBox22", "ComboBox23", "ComboBox45", "ComboBox55"},
       248,
       "  0",
       "247"},
      {{"ComboBox5", "ComboBox31", "ComboBox34"}, 101, "  0", "100"},
      {{"ComboBox17", "ComboBox28", "ComboBox51"}, 31, "1", "31"},
      {{"ComboBox18", "ComboBox29", "ComboBox52"}, 12, "1", "12"},
      {{"ComboBox19", "ComboBox30", "ComboBox53"}, 83, "2017", "2099"},
      {{"ComboBox8", "ComboBox48"}, 24, "0", "23"},
      {{"ComboBox9", "ComboBox27", "ComboBox49", "ComboBox50"}, 60, "0", "59"},
      {{"ComboBox58", "ComboBox54"}, 3601, "выкл.", "3600"},
      {{"ComboBox36"}, 3601, "0", "3600"},
      {{"ComboBox4", "ComboBox41"}, 4, "м куб/сек", "л/час"},
      {{"ComboBox7", "ComboBox57"}, 2, "метры куб.", "литры"},
      {{"ComboBox6"}, 4, "уставка", "импульсный"},
      {{"ComboBox42"}, 2, "частота", "импульсный"},
      {{"ComboBox35", "ComboBox56"}, 4, "Суммарный объем", "Объем суммарный по модулю"},
      {{"ComboBox16"}, 4, "0 1 2 3", "3 2 1 0"},
      {{"ComboBox10"}, 15, "4 ms", "480 ms 74dB(50 Hz)"},
      {{"ComboBox33"}, 1, "Никель 1000", "Никель 1000"},
  };
  for (const ListShape& shape : shapes) {
    for (const char* name : shape.names) {
      QComboBox* list = List(name);
      if (list == nullptr) continue;
      SCOPED_TRACE(name);
      ASSERT_EQ(list->count(), shape.count);
      EXPECT_EQ(list->itemText(0), QString::fromUtf8(shape.first));
      EXPECT_EQ(list->itemText(list->count() - 1), QString::fromUtf8(shape.last));
      // Nothing is selected before a value is shown.
      EXPECT_EQ(list->currentIndex(), -1);
    }
  }

  EXPECT_EQ(Items(List("ComboBox2")),
            Utf8({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(Items(List("ComboBox47")), Utf8({"Без паритета", "Нечетный", "Четный"}));
  EXPECT_EQ(Items(List("ComboBox55")), Numbers(0, 247, 3));
  EXPECT_EQ(List("ComboBox55")->itemText(7), "  7");
  EXPECT_EQ(List("ComboBox55")->itemText(42), " 42");
  EXPECT_EQ(Items(List("ComboBox34")), Numbers(0, 100, 3));
  EXPECT_EQ(Items(List("ComboBox51")), Numbers(1, 31));
  EXPECT_EQ(Items(List("ComboBox18")), Numbers(1, 12));
  EXPECT_EQ(Items(List("ComboBox53")), Numbers(2017, 2099));
  EXPECT_EQ(Items(List("ComboBox48")), Numbers(0, 23));
  EXPECT_EQ(Items(List("ComboBox27")), Numbers(0, 59));
  EXPECT_EQ(Items(List("ComboBox54")), Utf8({"выкл."}) + Numbers(1, 3600));
  EXPECT_EQ(Items(List("ComboBox36")), Numbers(0, 3600));
  EXPECT_EQ(Items(List("ComboBox41")), Utf8({"м куб/сек", "л/сек", "м куб/час", "л/час"}));
  EXPECT_EQ(Items(List("ComboBox6")), Utf8({"уставка", "направление", "частота", "импульсный"}));
  EXPECT_EQ(Items(List("ComboBox56")), Utf8({"Суммарный объем", "Прямой объем", "Обратный объем",
                                             "Объем суммарный по модулю"}));
  EXPECT_EQ(Items(List("ComboBox16")), Utf8({"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"}));
  EXPECT_EQ(
      Items(List("ComboBox10")),
      Utf8({"4 ms", "8 ms", "16 ms", "32 ms", "40 ms", "48 ms", "60 ms", "101 ms 90dB(60 Hz)",
            "120 ms 80dB(50 Hz)", "120 ms 65dB(50 Hz)", "160 ms 66dB(50 Hz)", "200 ms 69dB(50 Hz)",
            "240 ms 70dB(50 Hz)", "320 ms 72dB(50 Hz)", "480 ms 74dB(50 Hz)"}));
}

TEST_F(WindowStructure, FillingAgainKeepsItemsAndSelection) {
  List("ComboBox58")->setCurrentIndex(300);
  List("ComboBox46")->setCurrentIndex(4);
  FillChoiceLists(&window_);
  EXPECT_EQ(List("ComboBox58")->count(), 3601);
  EXPECT_EQ(List("ComboBox58")->currentIndex(), 300);
  EXPECT_EQ(List("ComboBox46")->count(), 8);
  EXPECT_EQ(List("ComboBox46")->currentText(), "19200");
  EXPECT_EQ(List("ComboBox45")->currentIndex(), -1);
}

TEST_F(WindowStructure, ControlsSitOnTheirPages) {
  const std::map<std::string, std::vector<const char*>> pages = {
      {"TabSheet_MeasuredValue",
       {"Button3", "Button4", "Button5", "Label23", "Label24", "Label25", "Label26", "Panel45"}},
      {"TabSheet_Adc", {"ComboBox10"}},
      {"TabSheet_ExchangeParameters",
       {"ComboBox14", "ComboBox15", "ComboBox16", "ComboBox17", "ComboBox18", "ComboBox19",
        "ComboBox20", "ComboBox21", "CheckBox19", "CheckBox20", "Label208", "Edit86", "Panel46",
        "Button24", "Button26", "Button30", "Button31"}},
      {"TabSheet_Search",
       {"ComboBox22", "ComboBox23", "CheckBox23", "CheckBox29", "CheckBox33", "ListBox1",
        "Button41", "Button42", "Panel38"}},
      {"TabSheet_AdcDebug", {"Button35", "Button36", "Button37", "ComboBox31", "Panel49"}},
      {"TabSheet_MeasurementDebug", {"Button18", "ComboBox34", "Panel50"}},
      {"TabSheet_TalverCompatibility", {"Panel47"}},
      {"TabSheet_UserRegisters", {"Panel48"}},
      {"TabSheet_Measurement", {"ComboBox4", "ComboBox5", "ComboBox7", "ComboBox35"}},
      {"TabSheet_Outputs", {"ComboBox6"}},
      {"TabSheet_General",
       {"ComboBox8", "ComboBox9", "ComboBox27", "ComboBox28", "ComboBox29", "ComboBox30"}},
      {"TabSheet_Archiving", {"ComboBox36"}},
      {"TabSheet_ExternalParameters", {"ComboBox33"}},
      {"TabSheet_MeasurementSettings", {"ComboBox41", "ComboBox56", "ComboBox57"}},
      {"TabSheet_Output", {"ComboBox42"}},
      {"TabSheet_Exchange", {"ComboBox45", "ComboBox46", "ComboBox47", "BitBtn16"}},
      {"TabSheet_Time",
       {"ComboBox48", "ComboBox49", "ComboBox50", "ComboBox51", "ComboBox52", "ComboBox53"}},
      {"TabSheet_Maintenance", {"ComboBox54"}},
      {"TabSheet_Archive", {"ComboBox58"}},
      {"TabSheet_ProgramSettings",
       {"ComboBox38", "ComboBox39", "ComboBox40", "ComboBox55", "Label426", "BitBtn1", "BitBtn4",
        "Memo2"}},
  };
  for (const auto& [sheet, names] : pages) {
    for (const char* name : names) {
      const QList<QWidget*> found = window_.findChildren<QWidget*>(QLatin1String(name));
      ASSERT_EQ(found.size(), 1) << name;
      EXPECT_EQ(SheetOf(found.front()).toStdString(), sheet) << name;
    }
  }
  for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3", "CheckBox1", "CheckBox2",
                           "CheckBox3", "Label7", "Button1", "Button2", "Button77", "Button78"}) {
    const QList<QWidget*> found = window_.findChildren<QWidget*>(QLatin1String(name));
    ASSERT_EQ(found.size(), 1) << name;
    EXPECT_TRUE(window_.TopBar()->isAncestorOf(found.front())) << name;
  }
}

TEST_F(WindowStructure, NamedControlsHaveTheirKindsAndCaptions) {
  const std::map<const char*, const char*> buttons = {
      {"Button1", "Выставить INIT"},
      {"Button2", "Помигать"},
      {"Button77", "Обновить"},
      {"Button78", "Перезапуск"},
      {"Button3", "Прочитать однократно"},
      {"Button4", "Начать циклический опрос"},
      {"Button5", "Завершить цикл. опрос"},
      {"Button35", "Прочитать однократно"},
      {"Button36", "Начать циклический опрос"},
      {"Button37", "Завершить циклический опрос"},
      {"Button41", "Начать поиск"},
      {"Button42", "Остановить поиск"},
      {"BitBtn1", "Обновить список портов"},
      {"BitBtn4", "Проверить связь"},
      {"BitBtn16", "ПРОВЕРИТЬ СВЯЗЬ"},
  };
  for (const auto& [name, caption] : buttons) {
    auto* button = Find<QPushButton>(name);
    ASSERT_NE(button, nullptr) << name;
    EXPECT_EQ(button->text(), QString::fromUtf8(caption)) << name;
  }
  for (const char* name : {"Button18", "Button24", "Button26", "Button30", "Button31"}) {
    EXPECT_NE(Find<QPushButton>(name), nullptr) << name;
  }

  const std::map<const char*, const char*> boxes = {
      {"CheckBox1", "Паритет"}, {"CheckBox2", "Четный"}, {"CheckBox3", "Запись обмена в файл"},
      {"CheckBox23", "1200"},   {"CheckBox26", "9600"},  {"CheckBox29", "57600"},
      {"CheckBox30", "115200"}, {"CheckBox31", "нет"},   {"CheckBox32", "нечетный"},
      {"CheckBox33", "четный"}, {"CheckBox19", ""},      {"CheckBox20", ""},
  };
  for (const auto& [name, caption] : boxes) {
    auto* box = Find<QCheckBox>(name);
    ASSERT_NE(box, nullptr) << name;
    EXPECT_EQ(box->text(), QString::fromUtf8(caption)) << name;
  }

  for (const char* name :
       {"Label7", "Label23", "Label24", "Label25", "Label26", "Label208", "Label426", "Panel38",
        "Panel45", "Panel46", "Panel47", "Panel48", "Panel49", "Panel50", "Image2"}) {
    EXPECT_NE(Find<QLabel>(name), nullptr) << name;
  }
  for (const char* name : {"Label23", "Label24", "Label25", "Label26"}) {
    EXPECT_EQ(Find<QLabel>(name)->text(), "0") << name;
  }
  EXPECT_NE(Find<QPlainTextEdit>("Memo2"), nullptr);
  EXPECT_NE(Find<QListWidget>("ListBox1"), nullptr);
  EXPECT_NE(Find<QLineEdit>("Edit86"), nullptr);
  EXPECT_NE(Find<QFrame>("Panel52"), nullptr);
  EXPECT_EQ(Find<QFrame>("Panel115"), window_.Panel115());
  EXPECT_EQ(Find<QMenuBar>("MainMenu1"), window_.menuBar());

  // The time gaps are typed as text; the other lists are choices only.
  EXPECT_TRUE(List("ComboBox20")->isEditable());
  EXPECT_TRUE(List("ComboBox21")->isEditable());
  EXPECT_FALSE(List("ComboBox46")->isEditable());

  // Hidden in the designed layout.
  for (const char* name : {"ComboBox16", "Button24", "Edit86", "Button30", "Button31", "ComboBox48",
                           "ComboBox53", "Panel45", "Panel52", "Image2"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isHidden()) << name;
  }
  EXPECT_FALSE(Find<QWidget>("Button5")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("Button37")->isEnabled());
}

TEST_F(WindowStructure, HintsOfTheLinkAndSearchControls) {
  const std::map<const char*, const char*> hints = {
      {"ComboBox1", "Номер порта"},
      {"ComboBox2", "Скорость обмена"},
      {"ComboBox3", "Сетевой номер модуля"},
      {"ComboBox14", "Новая скорость обмена"},
      {"ComboBox15", "Новый номер модуля"},
      {"ComboBox20", "Дополнительный временной зазор в приборе в мс"},
      {"ComboBox21", "Дополнительный временной зазор в программе в мс"},
      {"ComboBox22", "Начальный адрес поиска"},
      {"ComboBox23", "Последний адрес поиска"},
      {"CheckBox1", "Разрешение использования проверки паритета при обмене"},
      {"CheckBox2", "При обмене используется проверка на четный паритет"},
      {"CheckBox3", "При выставлении флажка пишем лог обмена в файл"},
      {"Button1", "Выставить параметры обмена с модулем в режиме INIT"},
      {"Button2", "Включить мигание светодиода в модуле "},
      {"ListBox1", "Список найденных устройств"},
      {"CheckBox23", "Модуль будет искаться на скорости 1200"},
      {"CheckBox24", "Модуль будет искаться на скорости 2400"},
      {"CheckBox25", "Модуль будет искаться на скорости 4800"},
      {"CheckBox26", "Модуль будет искаться на скорости 9600"},
      {"CheckBox27", "Модуль будет искаться на скорости 19200"},
      {"CheckBox28", "Модуль будет искаться на скорости 38400"},
      {"CheckBox29", "Модуль будет искаться на скорости 57600"},
      {"CheckBox30", "Модуль будет искаться на скорости 115200"},
      {"CheckBox31", "Модуль будет искаться обменом без паритета"},
      {"CheckBox32", "Модуль будет искаться обменом с нечетным паритетом"},
      {"CheckBox33", "Модуль будет искаться обменом с четным паритетом"},
  };
  for (const auto& [name, hint] : hints) {
    auto* widget = Find<QWidget>(name);
    ASSERT_NE(widget, nullptr) << name;
    EXPECT_EQ(widget->toolTip(), QString::fromUtf8(hint)) << name;
  }
}

TEST_F(WindowStructure, StatusPanelsArePaleBlueAndHidden) {
  for (const char* name : {"Panel46", "Panel47", "Panel48", "Panel49", "Panel50"}) {
    auto* panel = Find<QLabel>(name);
    ASSERT_NE(panel, nullptr) << name;
    EXPECT_TRUE(panel->autoFillBackground()) << name;
    // 0xFFF0D8 in the designed BGR form: blue FF, green F0, red D8.
    EXPECT_EQ(panel->palette().color(panel->backgroundRole()), QColor(0xD8, 0xF0, 0xFF)) << name;
    EXPECT_TRUE(panel->isHidden()) << name;
  }
  EXPECT_EQ(Find<QLabel>("Panel46")->text(), "Идет обмен с прибором");
}

TEST_F(WindowStructure, MenusHoldTheProfileAndRecordFileCommands) {
  QMenuBar* bar = window_.menuBar();
  const QList<QAction*> top = bar->actions();
  ASSERT_GE(top.size(), 2);
  EXPECT_EQ(top[0]->text(), "Файл");
  EXPECT_EQ(top[1]->text(), "Настройки");

  QMenu* file = top[0]->menu();
  ASSERT_NE(file, nullptr);
  // The profile commands, then (after a separator) the record files as charts
  // and the instrument's configuration.
  const QList<QAction*> commands = file->actions();
  ASSERT_EQ(commands.size(), 5);
  EXPECT_EQ(commands.mid(0, 2), (QList<QAction*>{window_.N2(), window_.N3()}));
  EXPECT_TRUE(commands[2]->isSeparator());
  EXPECT_EQ(commands[3]->objectName(), "OpenRecordsAction");
  EXPECT_EQ(commands[3]->text(), "Открыть записи измерений…");
  EXPECT_EQ(commands[4]->objectName(), "ConfigurationAction");
  EXPECT_EQ(window_.N2()->objectName(), "N2");
  EXPECT_EQ(window_.N2()->text(), "Прочитать профиль настроек из файла");
  EXPECT_EQ(window_.N3()->objectName(), "N3");
  EXPECT_EQ(window_.N3()->text(), "Записать профиль настроек в файл");

  QMenu* settings = top[1]->menu();
  ASSERT_NE(settings, nullptr);
  ASSERT_EQ(settings->actions().size(), 2);
  EXPECT_EQ(settings->actions()[0]->text(), "Имена файлов логов");
  EXPECT_EQ(settings->actions()[1], window_.NetworkPortsAction());
  EXPECT_EQ(window_.NetworkPortsAction()->text(), "Сетевые порты…");
  QMenu* log_names = settings->actions()[0]->menu();
  ASSERT_NE(log_names, nullptr);
  EXPECT_EQ(log_names->actions(),
            (QList<QAction*>{window_.N12(), window_.N13(), window_.N14(), window_.N15()}));
  const char* names[] = {"N12", "N13", "N14", "N15"};
  const char* texts[] = {"Обмен", "Результаты измерения", "Результаты обработки", "Коды АЦП"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(log_names->actions()[i]->objectName(), names[i]);
    EXPECT_EQ(log_names->actions()[i]->text(), QString::fromUtf8(texts[i]));
    EXPECT_EQ(Find<QAction>(names[i]), log_names->actions()[i]);
  }

  QMenu* popup = window_.PopupMenu1();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->objectName(), "PopupMenu1");
  ASSERT_EQ(popup->actions().size(), 1);
  EXPECT_EQ(popup->actions()[0]->text(), "Обновить список портов");
}

TEST_F(WindowStructure, OnlyTheActiveTabOfEachSetIsMarked) {
  auto marked = [](const QTabWidget* set) {
    std::vector<int> tabs;
    for (int i = 0; i < set->count(); ++i) {
      if (set->tabBar()->tabTextColor(i) == ActiveTabTextColor()) tabs.push_back(i);
    }
    return tabs;
  };
  ASSERT_TRUE(ActiveTabTextColor().isValid());
  for (const QTabWidget* set : window_.PageSets()) {
    EXPECT_EQ(marked(set), std::vector<int>{0}) << set->objectName().toStdString();
    for (int i = 1; i < set->count(); ++i) EXPECT_FALSE(set->tabBar()->tabTextColor(i).isValid());
  }

  window_.PageControl2()->setCurrentIndex(3);
  EXPECT_EQ(marked(window_.PageControl2()), std::vector<int>{3});
  window_.PageControl4()->setCurrentIndex(2);
  EXPECT_EQ(marked(window_.PageControl4()), std::vector<int>{2});
  EXPECT_EQ(marked(window_.PageControl5()), std::vector<int>{0});
}

TEST_F(WindowStructure, ClosingTheWindowSaysSoFirst) {
  int closing = 0;
  QObject::connect(&window_, &MainWindow::closing, [&closing] { ++closing; });
  window_.show();
  window_.close();
  EXPECT_EQ(closing, 1);
}

TEST_F(WindowStructure, BothViewsFitA1280By720Screen) {
  for (bool engineering : {false, true}) {
    window_.SetEngineeringView(engineering);
    const QSize needed = window_.minimumSizeHint();
    EXPECT_LE(needed.width(), 1280) << engineering;
    EXPECT_LE(needed.height(), 720) << engineering;
  }
}

// Opens every page of a view in turn (a nested set after the page that
// holds it) and hands over its sheet.
void ForEachSheet(MainWindow& window, bool engineering,
                  const std::function<void(const QScrollArea*)>& check) {
  window.SetEngineeringView(engineering);
  std::vector<QTabWidget*> sets{window.PageControl5(), window.PageControl4()};
  window.PageControl4()->setCurrentIndex(1);
  if (engineering) {
    window.PageControl1()->setCurrentIndex(1);
    window.PageControl2()->setCurrentIndex(5);
    sets = {window.PageControl3(), window.PageControl2(), window.PageControl1()};
  }
  for (QTabWidget* set : sets) {
    for (int i = 0; i < set->count(); ++i) {
      set->setCurrentIndex(i);
      // The layout, then the scroll bars (shown or hidden by a queued call).
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
      auto* sheet = qobject_cast<const QScrollArea*>(set->currentWidget());
      ASSERT_NE(sheet, nullptr) << set->objectName().toStdString() << ' ' << i;
      check(sheet);
    }
  }
}

// 1280 x 660: a 1280 x 720 screen less a title bar and a panel.
TEST_F(WindowStructure, PagesShowWholeAt1280By660AndScrollInASmallerWindow) {
  window_.setAttribute(Qt::WA_DontShowOnScreen, true);
  window_.show();
  for (const QSize size : {QSize(1280, 660), QSize(800, 500)}) {
    window_.resize(size);
    for (bool engineering : {false, true}) {
      int scrolling = 0;
      ForEachSheet(window_, engineering, [&](const QScrollArea* sheet) {
        const QSize needed = sheet->widget()->minimumSizeHint();
        const bool fits = needed.width() <= sheet->width() && needed.height() <= sheet->height();
        const bool scrolls =
            sheet->verticalScrollBar()->isVisible() || sheet->horizontalScrollBar()->isVisible();
        EXPECT_EQ(window_.size(), size);
        // A page larger than its sheet keeps its size and scrolls.
        EXPECT_EQ(scrolls, !fits) << sheet->objectName().toStdString();
        scrolling += scrolls ? 1 : 0;
      });
      EXPECT_EQ(scrolling > 0, size.width() < 1280) << (engineering ? "engineering" : "operator");
    }
  }
}

TEST_F(WindowStructure, FlowDigitsGrowWithTheWindow) {
  window_.setAttribute(Qt::WA_DontShowOnScreen, true);
  window_.show();
  auto type_in = [this](QSize size) {
    window_.resize(size);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return QFontInfo(Find<QLabel>("Panel116")->font()).pixelSize();
  };
  const int designed = type_in(QSize(1205, 630));
  EXPECT_GT(designed, QFontInfo(window_.font()).pixelSize());
  EXPECT_GT(type_in(QSize(1600, 1000)), designed);
}

TEST_F(WindowStructure, ScreenshotsShowEveryPageOfBothSets) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  window_.resize(1280, 720);
  window_.PageControl4()->setCurrentIndex(1);
  window_.PageControl1()->setCurrentIndex(3);

  ASSERT_TRUE(RenderScreenshots(window_, dir.filePath(QStringLiteral("shots"))));

  const QDir shots(dir.filePath(QStringLiteral("shots")));
  const QStringList files = shots.entryList({QStringLiteral("*.png")}, QDir::Files);
  EXPECT_EQ(files.size(), 13 + 8 + 5 + 3 + 7);
  for (const QTabWidget* set : window_.PageSets()) {
    for (int i = 0; i < set->count(); ++i) {
      const QString prefix = QStringLiteral("%1_%2_").arg(set->objectName()).arg(i);
      EXPECT_EQ(files.filter(QRegularExpression(QLatin1Char('^') + prefix)).size(), 1)
          << prefix.toStdString();
    }
  }
  for (const QString& file : files) {
    const QImage picture(shots.filePath(file));
    EXPECT_FALSE(picture.isNull()) << file.toStdString();
    EXPECT_EQ(picture.size(), QSize(1280, 720)) << file.toStdString();
  }
  // Pages really change between pictures, hidden-tab pages included.
  EXPECT_NE(QImage(shots.filePath(QStringLiteral("PageControl1_0_MeasuredValue.png"))),
            QImage(shots.filePath(QStringLiteral("PageControl1_4_Search.png"))));
  EXPECT_NE(QImage(shots.filePath(QStringLiteral("PageControl5_4_Maintenance.png"))),
            QImage(shots.filePath(QStringLiteral("PageControl5_5_Archive.png"))));
  EXPECT_TRUE(shots.exists(QStringLiteral("PageControl3_4_Recalculation.png")));
  EXPECT_TRUE(shots.exists(QStringLiteral("PageControl4_2_ProgramSettings.png")));

  // The window is left as it was found.
  EXPECT_FALSE(window_.EngineeringView());
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.PageControl4()->currentIndex(), 1);
  EXPECT_EQ(window_.PageControl1()->currentIndex(), 3);
  EXPECT_EQ(window_.PageControl2()->currentIndex(), 0);
  EXPECT_EQ(HiddenTabs(window_.PageControl1()), (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 10}));
}

}  // namespace
}  // namespace qmx
