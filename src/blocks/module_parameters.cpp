#include "blocks/module_parameters.h"

#include "registers/input_parsing.h"

namespace qmx {
namespace {

constexpr Field kModuleFields[] = {
    WordsField(
        1280, 42,
        [](BlockValues& v) { return std::span<uint16_t>(v.module_parameters.words).first(42); }),
    WordsField(
        1322, 8,
        [](BlockValues& v) { return std::span<uint16_t>(v.module_parameters.words).last(8); }),
};

// The cut-off limits the instrument applies, beside the cut-off itself.
constexpr ControlRow kModuleRows[] = {
    {.control = "Label271", .reg = 1300, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Label273", .reg = 1304, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Label275", .reg = 1302, .show = Show::kText, .form = TextForm::kFloatStandard},
};

constexpr Block kModuleBlock{
    .name = "параметры модуля измерения",
    .fields = kModuleFields,
    .rows = kModuleRows,
    .filled_at_startup = false,
};

constexpr Field kCutOffFields[] = {
    FloatField(1957, [](BlockValues& v) -> float& { return v.cut_off.cut_off; }),
    WordsField(1959, 2, [](BlockValues& v) { return std::span<uint16_t>(v.cut_off.kept); }),
};

constexpr ControlRow kCutOffRows[] = {
    {.control = "Edit114",
     .reg = 1957,
     .show = Show::kText,
     .form = TextForm::kFloatShort,
     .take = Take::kFloat,
     .failure = kFloatInputError},
};

constexpr Block kCutOffBlock{.name = "отсечка", .fields = kCutOffFields, .rows = kCutOffRows};

constexpr Transaction kReadTransactions[] = {
    {.start = 1280, .count = 42, .pause_before_ms = 100, .pause_after_ms = 100},
    {.start = 1957, .count = 4},
    {.start = 1322, .count = 8, .pause_after_ms = 100},
};
constexpr const Block* kReadBlocks[] = {&kModuleBlock, &kCutOffBlock};
constexpr BlockOperation kRead{kReadTransactions, kReadBlocks};

}  // namespace

const Block& ModuleParameterBlock() {
  return kModuleBlock;
}
const Block& CutOffBlock() {
  return kCutOffBlock;
}
const BlockOperation& ModuleParametersAndCutOffRead() {
  return kRead;
}

}  // namespace qmx
