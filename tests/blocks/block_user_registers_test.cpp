// User registers 65528-65535: the grid's cells as read and as written, the
// key filter and its marks, the busy panel, repetitions and failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/user_registers.h"
#include "operator/dialogs.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kReadText[] = "Чтение пользовательских регистров успешно осуществлено.";
constexpr char kWrittenText[] = "Запись пользовательских регистров успешно осуществлено.";

class UserRegistersTest : public BlockTest {
 protected:
  std::string Cell(int row) const { return controls_.Text(UserRegisterCell(row)); }
  Rgb CellColor(int row) const { return controls_.Color(UserRegisterCell(row)); }
  void Type(int row, const std::string& text) { controls_.SetText(UserRegisterCell(row), text); }
  std::vector<std::string> Cells() const {
    std::vector<std::string> cells;
    for (int row = 1; row <= 8; ++row) cells.push_back(Cell(row));
    return cells;
  }
  UserRegisterTable& table() { return profile_.user_registers; }
  // The operator presses `key` in row `row` whose cell keeps `kept` characters.
  std::optional<char32_t> Press(int row, size_t kept, char32_t key) {
    const std::optional<char32_t> accepted = StringGrid1KeyPress(table(), row, kept, key);
    PaintUserRegisters(controls_, table());
    return accepted;
  }
};

TEST_F(UserRegistersTest, DeclarationRegistersTextsAndDescription) {
  const struct {
    uint16_t reg;
    uint16_t value;
    int row;
    const char* shown;
  } cases[] = {{65528, 0x0000, 1, "0000"}, {65529, 0x000A, 2, "000A"}, {65530, 0x00A3, 3, "00A3"},
               {65531, 0x0ABC, 4, "0ABC"}, {65532, 0x1234, 5, "1234"}, {65533, 0xBEEF, 6, "BEEF"},
               {65534, 0x8000, 7, "8000"}, {65535, 0xFFFF, 8, "FFFF"}};
  for (const auto& c : cases) meter_.Set(c.reg, c.value);
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 65528 x8"));
  for (const auto& c : cases) {
    EXPECT_EQ(Cell(c.row), c.shown) << c.reg;
    EXPECT_EQ(table().words[static_cast<size_t>(c.row + 7)], c.value) << c.reg;
  }
  ASSERT_EQ(dialogs_.boxes().size(), 1u);
  EXPECT_EQ(dialogs_.LastBox().text, kReadText);
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);

  // Written back as shown, under its own text, with nothing around it.
  for (const auto& c : cases) meter_.Set(c.reg, 0x5555);
  bus_.ClearJournal();
  dialogs_.Clear();
  StartLog();
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre("write 65528 x8 = 0, 10, 163, 2748, 4660, 48879, 32768, 65535"));
  EXPECT_THAT(WriteDescriptions(), ElementsAre("Записать USR_REG_HOLD."));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kWrittenText));
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
  for (const auto& c : cases) EXPECT_EQ(meter_.Get(c.reg), c.value) << c.reg;
}

TEST_F(UserRegistersTest, WhatIsTypedIsWhatTheInstrumentReceives) {
  // An empty cell is 0, a partial one is that number, either case.
  const char* typed[] = {"A", "", "12", "abc", "FfFf", "0", "7FFF", "0001"};
  for (int row = 1; row <= 8; ++row) Type(row, typed[row - 1]);
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(meter_.Get(65528, 8), ElementsAre(0x000A, 0, 0x0012, 0x0ABC, 0xFFFF, 0, 0x7FFF, 1));
  // The grid shows the words as they went out.
  EXPECT_THAT(Cells(), ElementsAre("000A", "0000", "0012", "0ABC", "FFFF", "0000", "7FFF", "0001"));
  // And a profile saved now keeps them.
  EXPECT_EQ(table().words[8], 0x000A);
  EXPECT_EQ(table().words[12], 0xFFFF);
}

TEST_F(UserRegistersTest, ACellThatIsNoHexWordStopsTheWriteBeforeAnythingIsSent) {
  for (int row = 1; row <= 8; ++row) Type(row, "1111");
  table().changed[10] = true;
  for (const char* text : {"12345", "zz", "1 2", "-1", "0x12"}) {
    SCOPED_TRACE(text);
    Type(3, text);
    dialogs_.Clear();
    EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    EXPECT_THAT(dialogs_.texts(),
                ElementsAre("Значение пользовательского регистра 3 не получается представить "
                            "шестнадцатеричным числом из четырех цифр.",
                            kTextNoWrite));
    // Nothing staged, the row's mark kept, the cell as typed.
    EXPECT_EQ(table().words[8], 0);
    EXPECT_TRUE(table().changed[10]);
    EXPECT_EQ(Cell(3), text);
  }
}

TEST_F(UserRegistersTest, KeyFilter) {
  const struct {
    char32_t key;
    size_t kept;
    std::optional<char32_t> accepted;
    bool marks;
  } cases[] = {
      {U'0', 0, U'0', true},
      {U'9', 3, U'9', true},
      {U'a', 0, U'A', true},
      {U'f', 0, U'F', true},
      {U'B', 0, U'B', true},
      {U'Ф', 0, U'A', true},
      {U'ф', 0, U'A', true},
      {U'И', 0, U'B', true},
      {U'и', 0, U'B', true},
      {U'С', 0, U'C', true},
      {U'с', 0, U'C', true},
      {U'В', 0, U'D', true},
      {U'в', 0, U'D', true},
      {U'У', 0, U'E', true},
      {U'у', 0, U'E', true},
      {U'А', 0, U'F', true},
      {U'а', 0, U'F', true},
      {13, 4, 13, true},
      {8, 4, 8, true},
      {U'1', 4, std::nullopt, true},
      {U'ф', 5, std::nullopt, true},
      {U'g', 0, std::nullopt, false},
      {U'G', 0, std::nullopt, false},
      {U'х', 0, std::nullopt, false},
      {U' ', 0, std::nullopt, false},
      {U'-', 0, std::nullopt, false},
      {127, 0, std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<uint32_t>(c.key));
    table().changed.fill(false);
    EXPECT_EQ(StringGrid1KeyPress(table(), 5, c.kept, c.key), c.accepted);
    EXPECT_EQ(table().changed[12], c.marks);
    for (size_t i = 0; i < table().changed.size(); ++i) {
      if (i != 12) {
        EXPECT_FALSE(table().changed[i]) << i;
      }
    }
  }
}

TEST_F(UserRegistersTest, TypedRowIsPaintedAquaUntilAButtonIsPressed) {
  ShowUserRegisters(controls_, table());
  // "ф" in row 3 enters "A" and paints the row.
  EXPECT_EQ(Press(3, 0, U'ф'), U'A');
  EXPECT_EQ(CellColor(3), kColorChanged);
  for (int row : {1, 2, 4, 5, 6, 7, 8}) EXPECT_EQ(CellColor(row), kColorWhite) << row;
  // "g" enters nothing and leaves the marks as they were.
  EXPECT_EQ(Press(4, 0, U'g'), std::nullopt);
  EXPECT_EQ(CellColor(4), kColorWhite);
  EXPECT_EQ(CellColor(3), kColorChanged);
  // A fifth digit is refused, but the row is marked by it.
  EXPECT_EQ(Press(6, 4, U'7'), std::nullopt);
  EXPECT_EQ(CellColor(6), kColorChanged);

  Type(3, "A");
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  for (int row = 1; row <= 8; ++row) EXPECT_EQ(CellColor(row), kColorWhite) << row;
  EXPECT_EQ(meter_.Get(65530), 0x000A);

  EXPECT_EQ(Press(8, 0, U'1'), U'1');
  EXPECT_EQ(CellColor(8), kColorChanged);
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(CellColor(8), kColorWhite);
  for (bool changed : table().changed) EXPECT_FALSE(changed);
}

TEST_F(UserRegistersTest, OnlyColumnOneRowsOneToEightTakeTheEditor) {
  for (int column = 0; column < 5; ++column) {
    for (int row = 0; row < 12; ++row) {
      EXPECT_EQ(StringGrid1SelectCell(column, row), column == 1 && row >= 1 && row <= 8)
          << column << "," << row;
    }
  }
}

TEST_F(UserRegistersTest, BusyPanelStandsOverTheExchangeAndGoesBeforeTheBox) {
  std::vector<std::string> seen;
  link_.SetEventPump([&] {
    if (controls_.Visible("Panel48")) seen.push_back(controls_.Text("Panel48"));
  });
  controls_.SetVisible("Panel48", false);
  dialogs_.SetBoxObserver([&](const RecordedBox&) { EXPECT_FALSE(controls_.Visible("Panel48")); });
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kDone);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "Идет чтение");
  EXPECT_FALSE(controls_.Visible("Panel48"));
  seen.clear();
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "Идет запись");
  EXPECT_FALSE(controls_.Visible("Panel48"));
  // A failure hides it too.
  meter_.AddFault(NoAnswer());
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kFailed);
  EXPECT_FALSE(controls_.Visible("Panel48"));
}

TEST_F(UserRegistersTest, FailedReadLeavesTheTableAndTheGridAsTheyWere) {
  table().words[9] = 0x1234;
  ShowUserRegisters(controls_, table());
  meter_.Set(65529, 0x9999);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(table().words[9], 0x1234);
  EXPECT_EQ(Cell(2), "1234");

  // A register outside what the instrument serves: its exception.
  dialogs_.Clear();
  meter_.AddFault([] {
    sim::Fault fault;
    fault.kind = sim::FaultKind::kException;
    fault.value = 2;
    fault.remaining = 1;
    return fault;
  }());
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Адрес данных выходит за допустимые границы."));
  EXPECT_EQ(Cell(2), "1234");
}

TEST_F(UserRegistersTest, ReadAndWriteAfterARepetitionCountAsDone) {
  link_.settings().retry_limit = 2;
  meter_.Set(65535, 0x00C3);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button47Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 65528 x8", "read 65528 x8"));
  EXPECT_EQ(Cell(8), "00C3");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kReadText));

  // The write went through on its second attempt.
  bus_.ClearJournal();
  dialogs_.Clear();
  Type(8, "BEEF");
  meter_.AddFault(NoAnswer());
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().size(), 2u);
  EXPECT_EQ(meter_.Get(65535), 0xBEEF);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kWrittenText));
  EXPECT_FALSE(controls_.Visible("Panel48"));
}

TEST_F(UserRegistersTest, WriteWaitsAfterASuccessOnly) {
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  const int64_t after_write = clock_.NowMs() - Entry(0).time_ms;
  EXPECT_GE(after_write, 300);
  EXPECT_LT(after_write, 350);

  // A refused write: the report at once, no pause.
  bus_.ClearJournal();
  dialogs_.Clear();
  sim::Fault refused;
  refused.kind = sim::FaultKind::kException;
  refused.value = 4;
  refused.remaining = 1;
  meter_.AddFault(refused);
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ошибка в работе адресуемого устройства."));
  EXPECT_LT(clock_.NowMs() - Entry(0).time_ms, 50);
}

TEST_F(UserRegistersTest, StartUpAndAProfileLoadShowTheProfilesValuesUnmarked) {
  ProfileValues saved;
  for (int i = 0; i < kUserRegisterTableSize; ++i) {
    saved.user_registers.words[static_cast<size_t>(i)] = static_cast<uint16_t>(0x0F00 + i);
  }
  const std::string path = ::testing::TempDir() + "user_registers_test.prf";
  ASSERT_TRUE(SaveProfile(saved, link_.settings(), path));
  table().changed.fill(true);
  PaintUserRegisters(controls_, table());
  LoadProfile(profile_, link_.settings(), path);
  FillBlockControls(controls_, values_);
  EXPECT_THAT(Cells(), ElementsAre("0F08", "0F09", "0F0A", "0F0B", "0F0C", "0F0D", "0F0E", "0F0F"));
  for (int row = 1; row <= 8; ++row) EXPECT_EQ(CellColor(row), kColorWhite) << row;
  // What the profile brought is what the write sends.
  EXPECT_EQ(Button48Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(meter_.Get(65528, 8),
              ElementsAre(0x0F08, 0x0F09, 0x0F0A, 0x0F0B, 0x0F0C, 0x0F0D, 0x0F0E, 0x0F0F));
  std::remove(path.c_str());
}

TEST(UserRegisterTextTest, FormAndParse) {
  EXPECT_EQ(UserRegisterText(0), "0000");
  EXPECT_EQ(UserRegisterText(0xA), "000A");
  EXPECT_EQ(UserRegisterText(0xFFFF), "FFFF");
  EXPECT_EQ(ParseUserRegisterText(""), 0);
  EXPECT_EQ(ParseUserRegisterText("A"), 0xA);
  EXPECT_EQ(ParseUserRegisterText("fFfF"), 0xFFFF);
  EXPECT_EQ(ParseUserRegisterText("10000"), std::nullopt);
  EXPECT_EQ(ParseUserRegisterText("G"), std::nullopt);
  EXPECT_EQ(GridCellName("StringGrid1", 1, 3), "StringGrid1[1,3]");
  const std::optional<GridCell> cell = ParseGridCellName("StringGrid1[1,3]");
  ASSERT_TRUE(cell.has_value());
  EXPECT_EQ(cell->grid, "StringGrid1");
  EXPECT_EQ(cell->column, 1);
  EXPECT_EQ(cell->row, 3);
  for (const char* name : {"Panel48", "[1,2]", "Grid[1]", "Grid[a,1]", "Grid[1,2", "Grid[,1]"}) {
    EXPECT_FALSE(ParseGridCellName(name).has_value()) << name;
  }
}

}  // namespace
}  // namespace qmx::test
