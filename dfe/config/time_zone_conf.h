#pragma once

#include <string>

#include "dfe/config/config_types.h"

namespace luvaro {

// Which time-zone offset the documents carry: the system's, the one the service uses, or a
// fixed "+hh:mm"/"-hh:mm" text.
class TTimeZoneConf {
 public:
  TTimeZoneModoDeteccao ModoDeteccao() const { return FModoDeteccao; }
  // Another mode clears TimeZoneStr; tzManual with an empty text takes the system's offset.
  void SetModoDeteccao(TTimeZoneModoDeteccao value);
  const std::string& TimeZoneStr() const { return FTimeZoneStr; }
  // Outside tzManual the text is cleared; a blank text takes the system's offset; otherwise it
  // must read like -03:00 (EDFeException with the rule's message when it does not).
  void SetTimeZoneStr(const std::string& value);
  void Assign(const TTimeZoneConf& source);

  // The system's current offset from UTC as "-03:00".
  static std::string OffsetDoSistema();

 private:
  TTimeZoneModoDeteccao FModoDeteccao = TTimeZoneModoDeteccao::tzSistema;
  std::string FTimeZoneStr;
};

}  // namespace luvaro
