// The menu commands that load and save settings profiles and name the
// record files.
#include "ui/profile_commands.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <filesystem>
#include <string>

#include "blocks/block_catalog.h"
#include "storage/ini_file.h"
#include "support/no_wait.h"
#include "ui/widget_controls.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

TEST(WithRecordFileExtension, AddsTxtOnlyWhenTheNameHasNoExtension) {
  EXPECT_EQ(WithRecordFileExtension("/data/izm"), "/data/izm.txt");
  EXPECT_EQ(WithRecordFileExtension("/data/izm.log"), "/data/izm.log");
  EXPECT_EQ(WithRecordFileExtension("/data.d/izm"), "/data.d/izm.txt");
  EXPECT_EQ(WithRecordFileExtension("izm.txt"), "izm.txt");
}

class ProfileCommandsTest : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(ProfileCommandsTest, RecordFileNamesAskWithThePresetAndAddTxt) {
  std::string& trace = context_.link.settings().log_file_name;
  const std::string first_trace = trace;

  dialogs_.AcceptFile("/tmp/qmx/trace");
  window_->N12()->trigger();
  ASSERT_EQ(dialogs_.file_dialogs().size(), 1U);
  const FileDialogRequest& asked = dialogs_.file_dialogs().back().request;
  EXPECT_TRUE(dialogs_.file_dialogs().back().save);
  EXPECT_EQ(asked.title, "Сохранять в файл с именем");
  EXPECT_EQ(asked.filter, "Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*");
  EXPECT_EQ(asked.file_name, first_trace);
  EXPECT_EQ(trace, "/tmp/qmx/trace.txt");

  dialogs_.AcceptFile("/tmp/qmx/trace.log", 2);
  window_->N12()->trigger();
  EXPECT_EQ(trace, "/tmp/qmx/trace.log");

  RecordFiles& records = context_.profile.records;
  records.izm_file_name = "/tmp/qmx/izm";  // a preset without extension
  dialogs_.CancelFile();
  window_->N13()->trigger();
  EXPECT_EQ(dialogs_.file_dialogs().back().request.file_name, "/tmp/qmx/izm");
  EXPECT_EQ(records.izm_file_name, "/tmp/qmx/izm");

  dialogs_.AcceptFile("/tmp/qmx/all");
  window_->N14()->trigger();
  EXPECT_EQ(records.all_izm_file_name, "/tmp/qmx/all.txt");

  // The ADC file has no name until the operator gives one; a cancel keeps it so.
  dialogs_.CancelFile();
  window_->N15()->trigger();
  EXPECT_EQ(records.adc_name, "");
  dialogs_.AcceptFile("/tmp/qmx/adc");
  window_->N15()->trigger();
  EXPECT_EQ(records.adc_name, "/tmp/qmx/adc.txt");
  EXPECT_EQ(dialogs_.box_count(), 0U);
}

TEST_F(ProfileCommandsTest, SaveAddsPrfOnlyForANewNameUnderTheFirstFilter) {
  context_.profile.search.end = 9;
  dialogs_.AcceptFile(dir_.File("setup"), 1);
  window_->N3()->trigger();
  EXPECT_FALSE(std::filesystem::exists(dir_.File("setup")));
  EXPECT_EQ(IniFile(dir_.File("setup.prf")).ReadInteger("Seach", "end", -1), 9);

  WriteText(dir_.File("existing"), "[USR]\nmine=1\n");
  dialogs_.AcceptFile(dir_.File("existing"), 1);
  window_->N3()->trigger();
  EXPECT_FALSE(std::filesystem::exists(dir_.File("existing.prf")));
  IniFile existing(dir_.File("existing"));
  EXPECT_EQ(existing.ReadInteger("Seach", "end", -1), 9);
  EXPECT_EQ(existing.ReadInteger("USR", "mine", -1), 1);

  dialogs_.AcceptFile(dir_.File("plain"), 2);
  window_->N3()->trigger();
  EXPECT_TRUE(std::filesystem::exists(dir_.File("plain")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("plain.prf")));

  dialogs_.CancelFile();
  window_->N3()->trigger();
  // The profile of the run stays "recent.prf".
  EXPECT_EQ(context_.profile_path, dir_.File("recent.prf"));
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("Seach", "end", -1), 3);
}

TEST_F(ProfileCommandsTest, SaveTakesTheByteGapsAndStopsOnAFailedPassport) {
  auto* device_gap = Find<QComboBox>("ComboBox20");
  auto* program_gap = Find<QComboBox>("ComboBox21");
  device_gap->setEditText(QStringLiteral("17"));
  program_gap->setEditText(QStringLiteral("abc"));
  dialogs_.AcceptFile(dir_.File("gaps.prf"), 2);
  window_->N3()->trigger();
  EXPECT_EQ(context_.link.settings().time_gap_dev, 17);
  EXPECT_EQ(context_.link.settings().time_gap_prg, 0);
  EXPECT_EQ(program_gap->currentText(), QStringLiteral("0"));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("gaps.prf")));

  // A passport field of the exchange tab that does not convert stops the save.
  Find<QLineEdit>("Edit100")->setText(QStringLiteral("12x"));
  dialogs_.AcceptFile(dir_.File("refused.prf"), 2);
  const size_t before = dialogs_.box_count();
  window_->N3()->trigger();
  ASSERT_EQ(dialogs_.box_count(), before + 2);
  EXPECT_EQ(dialogs_.boxes()[before].text,
            "Вводимые данные заводского номера не получается представить целым числом.");
  EXPECT_EQ(dialogs_.LastBox().text, "Запись данных не будет производиться.");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("refused.prf")));

  // A good one reaches the file's NEW_DAT section.
  Find<QLineEdit>("Edit100")->setText(QStringLiteral("70000"));
  Find<QLineEdit>("Edit87")->setText(QStringLiteral("12"));
  Find<QComboBox>("ComboBox19")->setCurrentIndex(4);
  dialogs_.AcceptFile(dir_.File("passport.prf"), 2);
  window_->N3()->trigger();
  IniFile saved(dir_.File("passport.prf"));
  EXPECT_EQ(saved.ReadInteger("NEW_DAT", "NUM_HI", -1), 1);
  EXPECT_EQ(saved.ReadInteger("NEW_DAT", "NUM_LO", -1), 4464);
  EXPECT_EQ(saved.ReadInteger("NEW_DAT", "MODEL", -1), 12);
  EXPECT_EQ(saved.ReadInteger("NEW_DAT", "YEAR_NEW", -1), 2021);
}

TEST_F(ProfileCommandsTest, LoadFillsTheWindowAndReachesRecentPrfOnlyAtClose) {
  WriteText(dir_.File("other.prf"),
            "[TAB]\nActivePageIndex4=1\nActivePageIndex5=3\n[NEW_COMM]\nNET_PAR=2\n"
            "[Seach]\nbeg=4\nend=6\n[output]\nf_flow_v_max=12.5\n");
  dialogs_.AcceptFile(dir_.File("other.prf"));
  window_->N2()->trigger();
  // The page shows the loaded value, so its write button sends it.
  EXPECT_EQ(Find<QLineEdit>("Edit107")->text().trimmed(), QStringLiteral("12.5000"));
  EXPECT_FALSE(dialogs_.file_dialogs().back().save);
  EXPECT_EQ(window_->PageControl4()->currentIndex(), 1);
  EXPECT_EQ(window_->PageControl5()->currentIndex(), 3);
  EXPECT_EQ(context_.link.settings().proposed_parity_code, 2);
  EXPECT_EQ(context_.profile.search.beg, 4);
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("Seach", "beg", -1), 1);

  window_->close();
  IniFile recent(dir_.File("recent.prf"));
  EXPECT_EQ(recent.ReadInteger("Seach", "beg", -1), 4);
  EXPECT_EQ(recent.ReadInteger("Seach", "end", -1), 6);
  EXPECT_EQ(recent.ReadInteger("NEW_COMM", "NET_PAR", -1), 2);
  EXPECT_EQ(recent.ReadInteger("TAB", "ActivePageIndex4", -1), 1);
}

TEST_F(ProfileCommandsTest, CancelledLoadChangesNothing) {
  context_.profile.search.beg = 8;
  dialogs_.CancelFile();
  window_->N2()->trigger();
  EXPECT_EQ(context_.profile.search.beg, 8);
  EXPECT_EQ(window_->PageControl4()->currentIndex(), 0);
}

TEST_F(ProfileCommandsTest, AFileThatIsNoProfileIsNamedAndChangesNothingNowOrAtClose) {
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string("[Seach]\r\nbeg=4\r\nend=6\r\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  WriteText(dir_.File("unicode.prf"), utf16);
  WriteText(dir_.File("program.pgm"), "[PGM_OP_COD]\nop_0=0xa3\n[PGM_CONST]\nconst_0=2.5\n");
  std::filesystem::create_directory(dir_.File("folder"));
  ASSERT_TRUE(MakeFifo(dir_.File("fifo")));
  const struct {
    std::string name;
    std::string cause;
  } cases[] = {
      {dir_.File("unicode.prf"), "файл не текстовый (возможно, он записан в кодировке UTF-16)"},
      {dir_.File("program.pgm"), "в файле нет ни одного раздела профиля настроек"},
      {dir_.File("folder"), "под этим именем находится папка"},
      {dir_.File("fifo"), "под этим именем находится не обычный файл"}};

  ProfileValues& profile = context_.profile;
  profile.search.beg = 7;
  profile.passport.model = 12;
  profile.records.izm_file_name = "/data/izm.txt";
  window_->PageControl4()->setCurrentIndex(2);
  window_->PageControl5()->setCurrentIndex(3);
  WidgetControls controls(window_.get());
  FillBlockControls(controls, context_.blocks);
  const QString shown = Find<QLineEdit>("Edit107")->text();
  for (const auto& c : cases) {
    dialogs_.AcceptFile(c.name);
    const size_t before = dialogs_.box_count();
    window_->N2()->trigger();
    ASSERT_EQ(dialogs_.box_count(), before + 1) << c.name;
    EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
    EXPECT_EQ(dialogs_.LastBox().text, "Не удалось прочитать профиль настроек из файла " + c.name +
                                           ": " + c.cause + ". Настройки не изменены.");
    EXPECT_EQ(profile.search.beg, 7) << c.name;
    EXPECT_EQ(profile.passport.model, 12) << c.name;
    EXPECT_EQ(profile.records.izm_file_name, "/data/izm.txt") << c.name;
    EXPECT_EQ(window_->PageControl4()->currentIndex(), 2) << c.name;
    EXPECT_EQ(window_->PageControl5()->currentIndex(), 3) << c.name;
    EXPECT_EQ(Find<QLineEdit>("Edit107")->text(), shown) << c.name;
  }
  EXPECT_EQ(ReadText(dir_.File("unicode.prf")), utf16);
  EXPECT_TRUE(std::filesystem::is_fifo(dir_.File("fifo")));

  window_->close();
  IniFile recent(dir_.File("recent.prf"));
  EXPECT_EQ(recent.ReadInteger("Seach", "beg", -1), 7);
  EXPECT_EQ(recent.ReadInteger("NEW_DAT", "MODEL", -1), 12);
  EXPECT_EQ(recent.ReadString("IZM", "izm_file_name", ""), "/data/izm.txt");
  EXPECT_EQ(recent.ReadInteger("TAB", "ActivePageIndex4", -1), 2);
}

TEST_F(ProfileCommandsTest, ASaveThatCannotBeWrittenSaysWhyAndPrfIsNeverAddedTwice) {
  std::filesystem::create_directory(dir_.File("folder"));
  const struct {
    std::string chosen;
    int filter_index;
    std::string box;
  } failures[] = {
      {dir_.File("folder"), 1,
       "Не удалось записать файл настроек " + dir_.File("folder") +
           ": под этим именем находится папка."},
      {dir_.File("no/such/setup"), 1,
       "Не удалось записать файл настроек " + dir_.File("no/such/setup.prf") + ": папка " +
           dir_.File("no/such") + " не существует."},
  };
  for (const auto& f : failures) {
    dialogs_.AcceptFile(f.chosen, f.filter_index);
    const size_t before = dialogs_.box_count();
    window_->N3()->trigger();
    ASSERT_EQ(dialogs_.box_count(), before + 1) << f.chosen;
    EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
    EXPECT_EQ(dialogs_.LastBox().icon, BoxIcon::kError);
    EXPECT_EQ(dialogs_.LastBox().text, f.box);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("no")));

  const struct {
    const char* chosen;
    const char* saved;
  } names[] = {{"x.prf", "x.prf"}, {"Y.PRF", "Y.PRF"}, {"z.bak", "z.bak.prf"}};
  context_.profile.search.end = 9;
  for (const auto& n : names) {
    dialogs_.AcceptFile(dir_.File(n.chosen), 1);
    window_->N3()->trigger();
    EXPECT_EQ(IniFile(dir_.File(n.saved)).ReadInteger("Seach", "end", -1), 9) << n.chosen;
    EXPECT_FALSE(std::filesystem::exists(dir_.File(std::string(n.saved) + ".prf"))) << n.chosen;
  }
  EXPECT_EQ(dialogs_.box_count(), 2U);
}

}  // namespace
}  // namespace qmx::test
