// What the whole program shares while it runs: the link with its line
// parameters and settings, the settings profile, the operator dialogs and the
// exchange gate.  Controls are filled from these values and collected into
// them; no control is ever the only copy of a setting.
#pragma once

#include <string>

#include "blocks/block_values.h"
#include "blocks/measurement_handlers.h"
#include "link/clock.h"
#include "link/link.h"
#include "link/serial_port.h"
#include "operator/dialogs.h"
#include "operator/operation_report.h"
#include "storage/profile.h"

namespace qmx {

class ExchangeGate;

struct AppContext {
  AppContext(PortProvider& port_provider, Clock& program_clock, Dialogs& operator_dialogs)
      : ports(port_provider),
        clock(program_clock),
        dialogs(link_dialogs),
        link(port_provider, program_clock),
        link_dialogs(operator_dialogs, link) {}

  PortProvider& ports;
  Clock& clock;
  // The operator's dialogs, through which a report of silence also tells
  // why the port is not open.
  Dialogs& dialogs;
  Link link;
  LinkDialogs link_dialogs;
  ProfileValues profile;
  // Staged records of the configuration blocks; the measurement and output
  // records are the profile's own values.
  BlockValues blocks{profile, link.settings()};
  // Measured values, module data and the exchange counters.
  MeasurementState measurement;
  // Cyclic polling of the measured values (Timer3) and of the module (Timer12).
  bool measurement_polling = false;
  bool module_polling = false;
  std::string current_dir;   // the working directory at start-up
  std::string profile_path;  // "recent.prf" there; kept for the whole run
  ExchangeGate* gate = nullptr;
  // Set while the program itself fills the link controls: their change
  // handlers then do nothing.
  bool update_guard = false;
};

}  // namespace qmx
