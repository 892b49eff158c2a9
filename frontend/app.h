// The program's top level: start-up, the calculation flow behind the
// substance list, the input of concentration and temperature, the result
// display and the end button. Written against the platform operations only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/admissible.h"
#include "model/catalogue.h"
#include "model/correlations.h"
#include "platform/platform.h"
#include "report/run_log.h"

namespace elprops::frontend {

class App final : public platform::WindowEvents {
 public:
  explicit App(platform::Platform& platform);

  // Window events.
  void Form_Load() override;
  void List1_Click() override;
  void List1_KeyPress(std::int16_t keyAscii) override;
  void Command1_Click() override;

  // True once the program has been ended (No at a message, or the end
  // button); no further event does anything then.
  [[nodiscard]] bool Ended() const { return ended_; }

  // Typed text with a decimal comma as text with a decimal point; empty
  // text becomes "0". Only the first comma is replaced.
  static std::string NormalizeDecimal(std::string_view text);

  // The module-level state of the run, under the names the program uses.
  model::SubstanceTables Tables;
  std::uint8_t SubstanceIndex = 0;
  float Concentration = 0.0f;
  float Temperature = 0.0f;
  float TemperatureLimit = 0.0f;
  model::PropertySet Properties;
  report::RunLog Log;

 private:
  // The calculation flow shared by the two list handlers.
  void RunCalculation();
  // The internal procedures return false when the user ended the program;
  // the caller then returns to the event loop without touching the
  // platform again.
  bool InputConcentration();
  bool InputTemperature();
  void ShowResults();
  // Beep, hide the instruction, the list and the end button, and ask. On
  // No the program is ended and false comes back.
  bool WarnAndAsk(std::string_view text, std::string_view title);
  void End();

  platform::Platform& platform_;
  bool ended_ = false;
};

// The saturation mass fraction of calcium chloride, shared with the
// command line's plots.
using model::SaturationConcentration;

}  // namespace elprops::frontend
