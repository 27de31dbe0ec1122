#pragma once

#include <memory>
#include <string>

#include "dfe/xml/leitor.h"
#include "esocial/codigos_layout.h"
#include "esocial/esocial_conversao.h"
#include "esocial/retorno_comum.h"

namespace luvaro {

class IniFile;

// ideEvento of a totalizer: the receipt of the event it was computed from (nrRecArqBase, in
// S-5001, S-5002 and S-5003), the kind of assessment (S-5001, S-5011) and the period.
struct TIdeEventoTotalizador {
  std::string nrRecArqBase;
  tpIndApuracao IndApuracao = tpIndApuracao::iapuMensal;
  std::string perApur;
};

// The base of the six totalizer events (S-5001 to S-5013) that the government computes and
// returns with a lot's results: the document, its reader, the identifier of its root element
// and the two groups every totalizer has.
class TEventoTotalizador {
 public:
  virtual ~TEventoTotalizador() = default;
  TEventoTotalizador() = default;
  TEventoTotalizador(const TEventoTotalizador&) = delete;  // the interface owns one reader
  TEventoTotalizador& operator=(const TEventoTotalizador&) = delete;

  const std::string& Id() const { return FId; }
  const std::string& XML() const { return FXML; }
  void SetXML(const std::string& value) { FXML = value; }
  TLeitor& Leitor() { return FLeitor; }
  const TIdeEventoTotalizador& IdeEvento() const { return FIdeEvento; }
  const TInscricao& IdeEmpregador() const { return FIdeEmpregador; }

  // The root element of the document ("evtBasesTrab", ...).
  virtual std::string ElementoRaiz() const = 0;
  // Fills the objects from XML: false when the root element is missing. Raises when a date
  // cannot be read.
  bool LerXML();
  // The content as INI text, in the form the event models read: one section per group, named
  // after its element, with the fields as keys (codes as the layout writes them, amounts with
  // the decimal comma, dates as dd/mm/yyyy); a group inside repeated items carries their
  // numbers, and a repeated group its own number after them, each counted from 1 with the
  // digits its list needs (two up to 99 items, else three). Optional groups are written when
  // they hold something. The program does not call it.
  std::string SalvarINI() const;

 protected:
  // The groups after ideEmpregador; level 1 holds the root element.
  virtual void LerGrupos() = 0;
  // Empties the groups of the derived class before a new reading.
  virtual void LimparGrupos() = 0;
  // The sections of the groups after ideEmpregador.
  virtual void SalvarGrupos(IniFile& ini) const = 0;
  // The fields of the kind's ideEvento besides perApur: nrRecArqBase, indApuracao.
  virtual bool IdeEventoComRecibo() const { return false; }
  virtual bool IdeEventoComApuracao() const { return false; }

  TLeitor FLeitor;

 private:
  std::string FId;
  std::string FXML;
  TIdeEventoTotalizador FIdeEvento;
  TInscricao FIdeEmpregador;
};

// One totalizer reader behind a shared handle: the document text (writing a different text
// stores it and reads it at once), its event type and the event object itself.
class IEventoeSocial {
 public:
  virtual ~IEventoeSocial() = default;
  virtual const std::string& Xml() const = 0;
  virtual void SetXml(const std::string& Value) = 0;
  virtual TTipoEvento TipoEvento() const = 0;
  virtual TEventoTotalizador& GetEvento() = 0;
};

// The implementation for one event class; TS5001 ... TS5013 name it with their event.
template <typename TEvento, TTipoEvento Tipo>
class TTotalizadoreSocial : public IEventoeSocial {
 public:
  const std::string& Xml() const override { return FEvento.XML(); }
  void SetXml(const std::string& Value) override {
    if (Value == FEvento.XML()) return;
    FEvento.SetXML(Value);
    FEvento.LerXML();
  }
  TTipoEvento TipoEvento() const override { return Tipo; }
  TEventoTotalizador& GetEvento() override { return FEvento; }

  TEvento& Evento() { return FEvento; }
  const TEvento& Evento() const { return FEvento; }

 private:
  TEvento FEvento;
};

// The totalizer reader of a tot's tipo ("S5001", "S5002", "S5003", "S5011", "S5012",
// "S5013"); null for every other tipo.
std::shared_ptr<IEventoeSocial> CriarEventoTotalizador(const std::string& tipo);

}  // namespace luvaro
