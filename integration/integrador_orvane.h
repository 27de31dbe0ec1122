#pragma once

#include <chrono>
#include <string>

#include "integration/integrador.h"

namespace luvaro {

// Read time-outs of the three ERP requests. The defaults are the program's; tests shorten them.
struct OrvaneTimeouts {
  std::chrono::milliseconds buscaEventos{18000};
  std::chrono::milliseconds retornoEnvio{18000};
  std::chrono::milliseconds retornoConsulta{15000};
};

// The client of the Orvane ERP's HTTP server: plain HTTP with JSON bodies to three endpoints.
// One fresh connection per call; used by one worker at a time.
class TIntegradorOrvane final : public IIntegrador {
 public:
  TIntegradorOrvane() = default;
  explicit TIntegradorOrvane(OrvaneTimeouts timeouts) : m_timeouts(timeouts) {}

  TRecDadosTransmissao GetDadosTransmissao() override;
  bool EnviarRetornoEnvioXML(const std::string& pXMLRetorno) override;
  bool EnviarRetornoConsultaProtocoloXML(const std::string& pXMLRetorno) override;

  // Properties: `X()` reads, `SetX(value)` writes.
  const std::string& EmpresaKey() const { return FEmpresaKey; }
  void SetEmpresaKey(const std::string& value) { FEmpresaKey = value; }
  // Set by GetDadosTransmissao, sent by EnviarRetornoEnvioXML.
  const std::string& LotePath() const { return FLotePath; }
  void SetLotePath(const std::string& value) { FLotePath = value; }
  const std::string& UrlBuscaEventos() const { return FUrlBuscaEventos; }
  void SetUrlBuscaEventos(const std::string& value) { FUrlBuscaEventos = value; }
  const std::string& UrlRetornaEventosXml() const { return FUrlRetornaEventosXml; }
  void SetUrlRetornaEventosXml(const std::string& value) { FUrlRetornaEventosXml = value; }
  const std::string& UrlRetornaProtocoloXml() const { return FUrlRetornaProtocoloXml; }
  void SetUrlRetornaProtocoloXml(const std::string& value) { FUrlRetornaProtocoloXml = value; }
  const std::string& TipoProjeto() const { return FTipoProjeto; }
  void SetTipoProjeto(const std::string& value) { FTipoProjeto = value; }

 private:
  // The body of a result POST: the company key, the reply with its line breaks blanked, and
  // the lot path when `comLotePath`.
  std::string MontarCorpoRetorno(const std::string& pXMLRetorno, bool comLotePath) const;

  std::string FEmpresaKey;
  std::string FLotePath;
  std::string FUrlBuscaEventos;
  std::string FUrlRetornaEventosXml;
  std::string FUrlRetornaProtocoloXml;
  std::string FTipoProjeto;
  OrvaneTimeouts m_timeouts;
};

}  // namespace luvaro
