#include "frontend/app.h"

#include <cmath>

#include "model/admissible.h"
#include "report/display_text.h"
#include "report/protocol.h"
#include "text/text.h"

namespace elprops::frontend {

using platform::Answer;
using platform::Control;

namespace {

constexpr std::string_view kInstruction =
    "  Выберите указателем мыши\r"
    "       нужное Вам вещество и\r"
    "     щёлкните левой  кнопкой ";

constexpr std::string_view kConcentrationTitle = " ввод концентрации";
constexpr std::string_view kTemperatureTitle = " ввод температуры";
constexpr std::string_view kErrorTitle = "ОШИБКА !";
constexpr std::string_view kWarningTitle = "ВНИМАНИЕ !";
constexpr std::string_view kGoOn = "    Продолжаете работу ?";

// Keeps the lower temperature bound in single precision, as it is compared.
constexpr float kLowestTemperature = 1e-20f;

constexpr std::uint32_t kUsEnglishLayout = 0x04090409;
constexpr std::int16_t kEnter = 13;

// Text typed into an input box as the single it stands for.
float TypedValue(const std::string& typed) {
  return text::NearestSingle(text::ReadLeadingNumber(App::NormalizeDecimal(typed)));
}

}  // namespace

App::App(platform::Platform& platform) : platform_(platform) {}

std::string App::NormalizeDecimal(std::string_view text) {
  if (text.empty()) return "0";
  std::string result(text);
  const std::size_t comma = result.find(',');
  if (comma != std::string::npos) result[comma] = '.';
  return result;
}

void App::Form_Load() {
  if (ended_) return;
  platform_.SetWindowWidth(8000);
  platform_.SetWindowHeight(6500);
  platform_.SetWindowTop(1000);
  platform_.SetWindowLeft(2000);
  platform_.ActivateKeyboardLayout(kUsEnglishLayout, 0);
  model::InitLnTen(Tables);
  Log.WaterPointsLogged = false;
  Log.StampPrinted = false;
  platform_.HideControl(Control::Label2);
  platform_.HideControl(Control::Label3);
  platform_.ShowControl(Control::Command1);
  model::InitExponentsAndDivisors(Tables);
  platform_.SetCaption(Control::Label1, kInstruction);
  model::InitSubstanceTables(Tables);
  for (std::uint8_t s = 1; s <= model::kSubstanceCount; ++s) {
    platform_.AppendListEntry(Tables.SubstanceCaption[s]);
  }
  Log.Clear();
}

void App::List1_Click() {
  if (ended_) return;
  RunCalculation();
}

void App::List1_KeyPress(std::int16_t keyAscii) {
  if (ended_ || keyAscii != kEnter) return;
  RunCalculation();
}

void App::Command1_Click() {
  if (ended_) return;
  const platform::PrintOutcome outcome = report::PrintProtocol(Tables, Log, platform_, platform_, platform_);
  switch (outcome.kind) {
    case platform::PrintOutcome::Kind::Printed:
      break;
    case platform::PrintOutcome::Kind::SavedAsPdf:
      platform_.Notify("Принтер недоступен. Протокол сохранён в файле:\r" + outcome.path, "Протокол");
      break;
    case platform::PrintOutcome::Kind::Failed:
      platform_.Notify("Протокол не напечатан:\r" + outcome.detail, kErrorTitle);
      break;
  }
  End();
}

void App::End() {
  ended_ = true;
  platform_.EndProgram();
}

bool App::WarnAndAsk(std::string_view text, std::string_view title) {
  platform_.Beep();
  platform_.HideControl(Control::Label1);
  platform_.HideControl(Control::List1);
  platform_.HideControl(Control::Command1);
  if (platform_.MessageBox(text, title) == Answer::No) {
    End();
    return false;
  }
  return true;
}

void App::RunCalculation() {
  const int selected = platform_.ListSelection();
  // Enter while the list has the focus but no entry is selected.
  if (selected < 0 || selected >= model::kSubstanceCount) return;
  SubstanceIndex = static_cast<std::uint8_t>(selected + 1);

  for (;;) {
    if (!InputConcentration() || !InputTemperature()) return;

    if (SubstanceIndex == model::kCalciumChloride && SaturationConcentration(Temperature) < Concentration) {
      const std::string text = "Заданная Вами концентрация\r   превышает насыщение \r" + std::string(kGoOn);
      if (!WarnAndAsk(text, kWarningTitle)) return;
      continue;
    }

    const model::ComputeStatus status =
        model::ComputeProperties(Tables, SubstanceIndex, Concentration, Temperature, TemperatureLimit, Properties);
    if (!status.ok()) {
      // The correlations leave the single range for this point: nothing is
      // shown or recorded, and the user may try other values.
      const std::string text =
          "Свойства раствора не могут быть вычислены\rдля этой концентрации и температуры.\r" + std::string(kGoOn);
      if (!WarnAndAsk(text, kErrorTitle)) return;
      continue;
    }

    ShowResults();
    Log.RecordPoint(SubstanceIndex, Concentration, Temperature);
    return;
  }
}

bool App::InputConcentration() {
  const bool water = SubstanceIndex == model::kWater;
  if (water) {
    Concentration = 0.0f;
    TemperatureLimit = model::kWaterTemperatureLimit;
    Log.WaterPointsLogged = true;
  } else {
    TemperatureLimit = model::kSolutionTemperatureLimit;
  }
  platform_.HideControl(Control::Label2);
  platform_.HideControl(Control::Label3);
  if (water) return true;

  const std::string prompt = "   Введите концентрацию раствора\r" +
                             std::string(Tables.SubstanceGenitive[SubstanceIndex]) + " в массовых долях ";
  for (;;) {
    Concentration = TypedValue(platform_.InputBox(prompt, kConcentrationTitle));
    if (Concentration > 0.0f && Concentration < 1.0f) break;
    if (!WarnAndAsk("Концентрация в массовых долях." + std::string(kGoOn), kErrorTitle)) return false;
  }
  platform_.ShowControl(Control::List1);
  platform_.ShowControl(Control::Label1);
  platform_.ShowControl(Control::Command1);
  return true;
}

bool App::InputTemperature() {
  const bool water = SubstanceIndex == model::kWater;
  if (water) {
    Concentration = 0.0f;
    TemperatureLimit = model::kWaterTemperatureLimit;
  } else {
    TemperatureLimit = model::kSolutionTemperatureLimit;
  }
  const std::string prompt = std::string(water ? "   Введите температуру\r" : "   Введите температуру раствора\r") +
                             std::string(Tables.SubstanceGenitive[SubstanceIndex]) + " в градусах Цельсия ";
  for (;;) {
    Temperature = TypedValue(platform_.InputBox(prompt, kTemperatureTitle));
    // Both limits themselves are outside the range the correlations cover.
    if (Temperature > kLowestTemperature && Temperature < TemperatureLimit) break;
    const std::string text = "Аппроксимация для температуры\r" + text::GeneralNumberForm(Temperature) +
                             " не производилась\r" + std::string(kGoOn);
    if (!WarnAndAsk(text, kWarningTitle)) return false;
  }
  platform_.ShowControl(Control::List1);
  platform_.ShowControl(Control::Label1);
  platform_.ShowControl(Control::Command1);
  return true;
}

void App::ShowResults() {
  platform_.ShowControl(Control::Label2);
  platform_.ShowControl(Control::Label3);
  platform_.ShowControl(Control::Command1);
  platform_.SetCaption(Control::Label2, report::InputLabelText(SubstanceIndex, Concentration, Temperature));
  platform_.SetCaption(Control::Label3, report::ResultLabelText(Properties, platform_.DecimalSeparator()));
}

}  // namespace elprops::frontend
