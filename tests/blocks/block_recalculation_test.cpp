// The recalculation program 1994-2057: what a read shows, an unedited write
// putting back exactly what was read, the cells that stop a write, failures,
// repetitions, and the file buttons.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/recalculation.h"
#include "registers/encoding.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kQuestion[] = "Данные виртуальной машины будут переписаны?.";
constexpr char kWrittenText[] = "Запись виртуальной машины успешно осуществлена.";
constexpr char kFloatError[] = "Вводимые данные не получается представить плавающим числом.";
constexpr char kCodeError[] = "Вводимые данные не получается представить целым числом.";

class RecalculationTest : public BlockTest {
 protected:
  static void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadFileText(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<uint16_t> Program() { return meter_.Get(1994, 64); }
  void Restart() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
};

TEST_F(RecalculationTest, ReadShowsTheProgramAndAnUneditedWriteSendsItBackBitForBit) {
  const struct {
    uint16_t reg;
    float value;  // a code when reg < 2026
    std::string cell;
    const char* shown;
  } cases[] = {{1994, 163, RecalcCodeCell(0), "0x00A3"},
               {2025, 0xBEEF, RecalcCodeCell(31), "0xBEEF"},
               {2026, 2.5f, RecalcConstantCell(0), "2.500000"},
               {2028, 0.00366099f, RecalcConstantCell(1), "0.003661"},
               {2030, 4e-7f, RecalcConstantCell(2), "0.000000"},
               {2056, -273.15f, RecalcConstantCell(15), "-273.149994"}};
  for (const auto& c : cases) {
    const RegisterPair pair = FloatToRegisters(c.value);
    if (c.reg < 2026) meter_.Set(c.reg, static_cast<uint16_t>(c.value));
    if (c.reg >= 2026) meter_.Set(c.reg, pair.first);
    if (c.reg >= 2026) meter_.Set(static_cast<uint16_t>(c.reg + 1), pair.second);
  }
  const std::vector<uint16_t> read = Program();
  EXPECT_EQ(Button90Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1994 x64"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитаны настройки виртуальной машины."));
  for (const auto& c : cases) EXPECT_EQ(controls_.Text(c.cell), c.shown) << c.reg;

  for (uint16_t reg = 1994; reg <= 2057; ++reg) meter_.Set(reg, 0x1111);
  Restart();
  Yes();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kDone);
  // No state word, no protection question.
  ASSERT_EQ(Journal().size(), 3u);
  EXPECT_EQ(Journal().front(), "write 1278 x2 = 1, 1");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, kWrittenText));
  EXPECT_EQ(Program(), read);
  EXPECT_FALSE(meter_.unlocked());
}

TEST_F(RecalculationTest, EditedCellsAreTakenBeforeTheQuestionAndRefusedOnesStopIt) {
  ShowRecalcProgram(controls_, values_.recalc_program);
  controls_.SetText(RecalcCodeCell(4), " 0x1f ");
  controls_.SetText(RecalcCodeCell(5), "a3");
  controls_.SetText(RecalcConstantCell(3), "1.25E1");
  No();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(controls_.Text(RecalcCodeCell(4)), "0x001F");
  Yes();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(meter_.Get(1998, 2), ElementsAre(0x001F, 0x00A3));
  EXPECT_THAT(meter_.Get(2032, 2), ElementsAre(0x4148, 0x0000));

  const struct {
    bool code;
    const char* text;
    const char* message;
  } refused[] = {{true, "zz", kCodeError},     {true, "1A2B3", kCodeError},
                 {true, "0x", kCodeError},     {false, "2,5", kFloatError},
                 {false, "1e39", kFloatError}, {false, "", kFloatError}};
  const RecalcProgram held = values_.recalc_program;
  for (const auto& c : refused) {
    SCOPED_TRACE(c.text);
    ShowRecalcProgram(controls_, held);
    controls_.SetText(RecalcCodeCell(0), "0x1234");
    controls_.SetText(c.code ? RecalcCodeCell(9) : RecalcConstantCell(9), c.text);
    Restart();
    EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    EXPECT_THAT(dialogs_.texts(), ElementsAre(c.message, kTextNoWrite));
    EXPECT_EQ(values_.recalc_program, held);  // not even the cells before it
  }
}

TEST_F(RecalculationTest, FailuresAndRepetitions) {
  // A failed write is reported; the lock is closed again quietly.
  ShowRecalcProgram(controls_, values_.recalc_program);
  const std::vector<uint16_t> before = Program();
  Yes();
  FaultOnRequest(2, NoAnswer());
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, "Ответа не было."));
  EXPECT_EQ(Program(), before);
  EXPECT_FALSE(meter_.unlocked());

  // One that needed a repetition is stored and shown, with its success box.
  Restart();
  link_.settings().retry_limit = 2;
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button90Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().size(), 2u);
  EXPECT_EQ(dialogs_.texts().size(), 1u);
  EXPECT_EQ(controls_.Text(RecalcConstantCell(0)), "101.324997");
}

TEST_F(RecalculationTest, FileButtons) {
  const std::string file = ::testing::TempDir() + "recalc_buttons";
  // What the grids show is saved, ".pgm" added to the name.
  ShowRecalcProgram(controls_, values_.recalc_program);
  controls_.SetText(RecalcConstantCell(2), "1e-7");
  dialogs_.AcceptFile(file);
  EXPECT_EQ(Button89Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(dialogs_.file_dialogs().at(0).request.filter, "программа|*.pgm");
  EXPECT_TRUE(std::filesystem::remove(file + ".pgm"));
  EXPECT_EQ(values_.recalc_program.constants[2], 1e-7);

  // Cancel shows nothing; a file that is not there is named, nothing changes.
  Restart();
  dialogs_.CancelFile();
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_EQ(dialogs_.box_count(), 0u);
  dialogs_.AcceptFile(file + ".pgm");
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
  EXPECT_NE(dialogs_.LastBox().text.find(file + ".pgm"), std::string::npos);
  EXPECT_EQ(values_.recalc_program.constants[2], 1e-7);
}

TEST_F(RecalculationTest, AFileWithConstantsTheInstrumentCannotHoldIsRefusedByKey) {
  const std::string file = ::testing::TempDir() + "recalc_refused.pgm";
  const std::string text =
      "[PGM_OP_COD]\nop_0=0xa3\n[PGM_CONST]\nconst_0=2e7\nconst_2=1e308\nconst_4=1e30\n"
      "const_9=nan\nconst_15=-inf\n";
  WriteFileText(file, text);
  values_.recalc_program.constants[2] = 1.5;
  const RecalcProgram held = values_.recalc_program;
  ShowRecalcProgram(controls_, held);
  dialogs_.AcceptFile(file);
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kFailed);
  ASSERT_EQ(dialogs_.box_count(), 1u);
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
  EXPECT_EQ(dialogs_.LastBox().icon, BoxIcon::kError);
  EXPECT_EQ(
      dialogs_.LastBox().text,
      "Файл " + file +
          " не прочитан: в разделе PGM_CONST константы const_2, const_9, const_15 не являются "
          "конечными числами одинарной точности (прибор хранит числа до 3.4E38 по модулю). "
          "Настройки виртуальной машины не изменены.");
  EXPECT_EQ(values_.recalc_program, held);
  EXPECT_EQ(controls_.Text(RecalcConstantCell(2)), "1.500000");
  EXPECT_EQ(controls_.Text(RecalcCodeCell(0)), "0x0000");
  EXPECT_EQ(ReadFileText(file), text);

  // Large singles are constants like any other.
  Restart();
  WriteFileText(file, "[PGM_CONST]\nconst_0=2e7\nconst_4=-1e30\n");
  dialogs_.AcceptFile(file);
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Из файла прочитаны настройки виртуальной машины."));
  EXPECT_EQ(values_.recalc_program.constants[0], 2e7);
  EXPECT_EQ(values_.recalc_program.constants[4], -1e30);
  EXPECT_EQ(controls_.Text(RecalcConstantCell(0)), "20000000.000000");
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace qmx::test
