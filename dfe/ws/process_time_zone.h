#pragma once

#include <mutex>

#include "dfe/config/time_zone_conf.h"

namespace luvaro {

// The process-wide time-zone setting. Before a call writes its documents, the web-service call
// makes it equal to the component's WebServices.TimeZoneConf (AplicarOpcoesGerador), so that
// every writer of the process sees one offset. It is process-wide because the setting belongs
// to the process, not to one component: the last call that prepared its writer decides.
//
// main() makes it before any thread starts and it goes after the last one has ended; it
// reaches the components through TAmbienteTransmissao and TDFeComponente::SetTimeZoneProcesso.
// `m_mutex` guards the setting: a worker may write it while another thread reads it.
class ProcessTimeZone {
 public:
  ProcessTimeZone() = default;
  ProcessTimeZone(const ProcessTimeZone&) = delete;  // one setting per process
  ProcessTimeZone& operator=(const ProcessTimeZone&) = delete;

  void Assign(const TTimeZoneConf& conf);
  // A copy of the current setting.
  TTimeZoneConf Atual() const;

 private:
  mutable std::mutex m_mutex;
  TTimeZoneConf m_conf;
};

}  // namespace luvaro
