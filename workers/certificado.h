#pragma once

#include <string>

namespace luvaro {

class TDFeComponente;

// The certificate a worker uses in this run. Creating it asks the user at once, through the
// component's security facade (the chooser "Selecione um Certificado"); nothing of the choice
// is kept between runs. NumeroSerie is empty when the user chose none.
class TCertificado {
 public:
  // Makes the choice; failures of the store or the chooser are raised from here.
  explicit TCertificado(TDFeComponente& pComponente);
  TCertificado(const TCertificado&) = delete;  // bound to its component
  TCertificado& operator=(const TCertificado&) = delete;

  const std::string& NumeroSerie() const { return FNumeroSerie; }
  void SetNumeroSerie(const std::string& value) { FNumeroSerie = value; }

 private:
  TDFeComponente& FComponente;
  std::string FNumeroSerie;
};

}  // namespace luvaro
