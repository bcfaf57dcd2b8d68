// The recalculation program 1994-2057: what a read shows, that an unedited
// write puts back exactly what was read, which cells stop a write, the
// question, failures and repetitions, and the .pgm load and save buttons.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/recalculation.h"
#include "registers/encoding.h"
#include "storage/ini_file.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kReadText[] = "Прочитаны настройки виртуальной машины.";
constexpr char kQuestion[] = "Данные виртуальной машины будут переписаны?.";
constexpr char kWrittenText[] = "Запись виртуальной машины успешно осуществлена.";
constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";

class RecalculationTest : public BlockTest {
 protected:
  void PutConstant(int i, float value) {
    const RegisterPair pair = FloatToRegisters(value);
    meter_.Set(static_cast<uint16_t>(2026 + 2 * i), pair.first);
    meter_.Set(static_cast<uint16_t>(2027 + 2 * i), pair.second);
  }
  std::vector<uint16_t> Program() { return meter_.Get(1994, 64); }
  void Restart() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
};

TEST_F(RecalculationTest, ReadShowsTheProgramAndAnUneditedWriteSendsItBackBitForBit) {
  const struct {
    bool code;
    int index;
    float value;
    const char* shown;
  } cases[] = {{true, 0, 163, "0x00A3"},      {true, 31, 0xBEEF, "0xBEEF"},
               {false, 0, 2.5f, "2.500000"},  {false, 1, 0.00366099f, "0.003661"},
               {false, 2, 4e-7f, "0.000000"}, {false, 15, -273.15f, "-273.149994"}};
  for (const auto& c : cases) {
    if (c.code) meter_.Set(static_cast<uint16_t>(1994 + c.index), static_cast<uint16_t>(c.value));
    if (!c.code) PutConstant(c.index, c.value);
  }
  const std::vector<uint16_t> read = Program();
  EXPECT_EQ(Button90Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1994 x64"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kReadText));
  for (const auto& c : cases) {
    const std::string cell = c.code ? RecalcCodeCell(c.index) : RecalcConstantCell(c.index);
    EXPECT_EQ(controls_.Text(cell), c.shown) << cell;
  }

  for (uint16_t reg = 1994; reg <= 2057; ++reg) meter_.Set(reg, 0x1111);
  Restart();
  Yes();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kDone);
  // No state word, no protection question.
  ASSERT_EQ(Journal().size(), 3u);
  EXPECT_EQ(Journal().front(), kUnlock);
  EXPECT_EQ(Journal().back(), kLock);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, kWrittenText));
  EXPECT_EQ(Program(), read);
}

TEST_F(RecalculationTest, EditedCellsAreConverted) {
  ShowRecalcProgram(controls_, values_.recalc_program);
  controls_.SetText(RecalcCodeCell(4), " 0x1f ");
  controls_.SetText(RecalcCodeCell(5), "a3");
  controls_.SetText(RecalcConstantCell(3), "1.25E1");
  controls_.SetText(RecalcConstantCell(4), "0.1");
  Yes();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(meter_.Get(1998), 0x001F);
  EXPECT_EQ(meter_.Get(1999), 0x00A3);
  EXPECT_THAT(meter_.Get(2032, 4), ElementsAre(0x4148, 0x0000, 0x3DCC, 0xCCCD));
  EXPECT_EQ(controls_.Text(RecalcCodeCell(4)), "0x001F");
  EXPECT_EQ(controls_.Text(RecalcConstantCell(4)), "0.100000");
}

TEST_F(RecalculationTest, CellsThatAreNoNumberStopTheWriteBeforeTheQuestion) {
  const struct {
    bool code;
    const char* text;
    const char* message;
  } cases[] = {{true, "zz", "Вводимые данные не получается представить целым числом."},
               {true, "1A2B3", "Вводимые данные не получается представить целым числом."},
               {true, "0x", "Вводимые данные не получается представить целым числом."},
               {false, "2,5", "Вводимые данные не получается представить плавающим числом."},
               {false, "1e39", "Вводимые данные не получается представить плавающим числом."},
               {false, "", "Вводимые данные не получается представить плавающим числом."}};
  values_.recalc_program.op[7] = 0x0707;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ShowRecalcProgram(controls_, values_.recalc_program);
    controls_.SetText(RecalcCodeCell(7), "0x1234");
    controls_.SetText(c.code ? RecalcCodeCell(9) : RecalcConstantCell(9), c.text);
    Restart();
    EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    EXPECT_THAT(dialogs_.texts(), ElementsAre(c.message, kTextNoWrite));
    // Nothing taken, not even the cells before the refused one.
    EXPECT_EQ(values_.recalc_program.op[7], 0x0707);
  }
}

TEST_F(RecalculationTest, NoSendsNothingButKeepsWhatWasTaken) {
  ShowRecalcProgram(controls_, values_.recalc_program);
  controls_.SetText(RecalcConstantCell(0), "7.5");
  No();
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(values_.recalc_program.constants[0], 7.5);
}

TEST_F(RecalculationTest, FailuresAndRepetitions) {
  // A failed write is reported; the lock is closed again quietly.
  ShowRecalcProgram(controls_, values_.recalc_program);
  const std::vector<uint16_t> before = Program();
  Yes();
  FaultOnRequest(2, NoAnswer());
  EXPECT_EQ(Button91Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, "Ответа не было."));
  EXPECT_EQ(Journal().back(), kLock);
  EXPECT_EQ(Program(), before);
  EXPECT_FALSE(meter_.unlocked());

  // A failed read keeps the program and the grids.
  Restart();
  values_.recalc_program.op[0] = 0x0042;
  controls_.SetText(RecalcCodeCell(0), "typed");
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button90Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(values_.recalc_program.op[0], 0x0042);
  EXPECT_EQ(controls_.Text(RecalcCodeCell(0)), "typed");

  // One that needed a repetition is stored and shown, without a success box.
  Restart();
  link_.settings().retry_limit = 2;
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button90Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 1994 x64", "read 1994 x64"));
  EXPECT_TRUE(dialogs_.texts().empty());
  EXPECT_EQ(controls_.Text(RecalcConstantCell(0)), "101.324997");
  EXPECT_EQ(values_.recalc_program.op[0], meter_.Get(1994));
}

TEST_F(RecalculationTest, FileButtons) {
  const std::string dir = ::testing::TempDir() + "recalc_buttons";
  std::filesystem::create_directories(dir);
  const std::string saved = dir + "/saved";
  // Saved as shown, under the name with ".pgm" added; loaded back the same.
  values_.recalc_program.op[3] = 0x00A3;
  values_.recalc_program.constants[1] = 0.00366099;
  ShowRecalcProgram(controls_, values_.recalc_program);
  controls_.SetText(RecalcConstantCell(2), "1e-7");
  dialogs_.AcceptFile(saved);
  EXPECT_EQ(Button89Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(dialogs_.file_dialogs().at(0).request.filter, "программа|*.pgm");
  EXPECT_EQ(IniFile(saved + ".pgm").ReadString("PGM_CONST", "const_1", ""), "0.00366099");
  const RecalcProgram kept = values_.recalc_program;
  EXPECT_EQ(kept.constants[2], 1e-7);

  values_.recalc_program = {};
  dialogs_.AcceptFile(saved + ".pgm");
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(values_.recalc_program, kept);
  EXPECT_EQ(controls_.Text(RecalcCodeCell(3)), "0x00A3");
  EXPECT_EQ(dialogs_.LastBox().text, "Из файла прочитаны настройки виртуальной машины.");

  // Cancel shows nothing; a file that is not there is named, nothing changes.
  Restart();
  dialogs_.CancelFile();
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_EQ(dialogs_.box_count(), 0u);
  dialogs_.AcceptFile(dir + "/none.pgm");
  EXPECT_EQ(Button88Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
  EXPECT_NE(dialogs_.LastBox().text.find(dir + "/none.pgm"), std::string::npos);
  EXPECT_EQ(values_.recalc_program, kept);
  EXPECT_FALSE(std::filesystem::exists(dir + "/none.pgm"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qmx::test
