// The window program on a scripted platform, started as the window starts
// it, with the texts the user sees written out in full.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/app.h"
#include "tests/support/scripted_platform.h"

namespace elprops::frontend {

// Substances by catalogue number.
inline constexpr std::uint8_t kBariumChloride = 6;
inline constexpr std::uint8_t kPotassiumCarbonate = 8;
inline constexpr std::uint8_t kCalciumChloride = 11;
inline constexpr std::uint8_t kSodiumChloride = 17;
inline constexpr std::uint8_t kWater = 19;

inline const std::string kConcentrationTitle = " ввод концентрации";
inline const std::string kTemperatureTitle = " ввод температуры";
inline const std::string kErrorTitle = "ОШИБКА !";
inline const std::string kWarningTitle = "ВНИМАНИЕ !";
inline const std::string kConcentrationError = "Концентрация в массовых долях.    Продолжаете работу ?";
inline const std::string kSaturationWarning =
    "Заданная Вами концентрация\r   превышает насыщение \r    Продолжаете работу ?";
inline const std::string kComputeError =
    "Свойства раствора не могут быть вычислены\rдля этой концентрации и температуры.\r    Продолжаете работу ?";

inline std::string TemperatureWarning(const std::string& shown) {
  return "Аппроксимация для температуры\r" + shown + " не производилась\r    Продолжаете работу ?";
}

inline const std::string kSodiumChlorideConcentrationPrompt =
    "   Введите концентрацию раствора\rХЛОРИДА НАТРИЯ  в массовых долях ";
inline const std::string kSodiumChlorideTemperaturePrompt =
    "   Введите температуру раствора\rХЛОРИДА НАТРИЯ  в градусах Цельсия ";
inline const std::string kWaterTemperaturePrompt = "   Введите температуру\rВОДЫ  в градусах Цельсия ";

// The recorded operations of the dialogs.
inline std::string InputOp(const std::string& prompt, const std::string& title) {
  return "input prompt=" + prompt + " title=" + title;
}
inline std::string MessageOp(const std::string& text, const std::string& title) {
  return "message text=" + text + " title=" + title;
}

// Beep, then the instruction, the list and the end button hidden, then the
// message: every validation message and warning starts so.
inline std::vector<std::string> WarningOps(const std::string& text, const std::string& title) {
  return {"beep", "hide Label1", "hide List1", "hide Command1", MessageOp(text, title)};
}

inline const std::vector<std::string> kInputAccepted{"show List1", "show Label1", "show Command1"};

// Test names from the `name` field of a parameter row.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& param) {
  return param.param.name;
}

class AppTest : public testing::Test {
 protected:
  void SetUp() override {
    app.Form_Load();
    platform.ClearOperations();
  }

  void Select(std::uint8_t substance) { platform.Select(substance - 1); }

  // One calculation by a click on `substance`, with the typed texts given.
  void Calculate(std::uint8_t substance, std::initializer_list<std::string_view> typed) {
    Select(substance);
    platform.QueueInputs(typed);
    app.List1_Click();
  }

  test_support::ScriptedPlatform platform;
  App app{platform};
};

}  // namespace elprops::frontend
