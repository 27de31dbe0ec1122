#include "dfe/ws/process_time_zone.h"

namespace luvaro {

void ProcessTimeZone::Assign(const TTimeZoneConf& conf) {
  const std::lock_guard lock(m_mutex);
  m_conf.Assign(conf);
}

TTimeZoneConf ProcessTimeZone::Atual() const {
  const std::lock_guard lock(m_mutex);
  TTimeZoneConf copia;
  copia.Assign(m_conf);
  return copia;
}

}  // namespace luvaro
