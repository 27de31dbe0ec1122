#include "dfe/xml/gerador.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "dfe/dfe_exception.h"
#include "dfe/gravar_arquivo.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"
#include "dfe/xml/validacao_documento.h"

namespace luvaro {
namespace {

constexpr const char* kConteudoInvalido = "Conteúdo inválido";

std::string padLeftZeros(std::string text, int size) {
  const std::size_t length = utf8Length(text);
  if (size > 0 && length < static_cast<std::size_t>(size)) {
    text.insert(0, static_cast<std::size_t>(size) - length, '0');
  }
  return text;
}

std::string twoDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string fourDigits(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}

int decimalsOf(TTipoCampo tipo) {
  switch (tipo) {
    case TTipoCampo::tcDe2:
      return 2;
    case TTipoCampo::tcDe3:
      return 3;
    case TTipoCampo::tcDe4:
      return 4;
    case TTipoCampo::tcDe6:
      return 6;
    case TTipoCampo::tcDe10:
      return 10;
    default:
      return -1;
  }
}

// One pass over the template, so that a value holding a marker is not replaced again.
std::string fillTemplate(const std::string& format, const std::string& tagNivel,
                         const std::string& tag, const std::string& id, const std::string& msg,
                         const std::string& descricao) {
  struct Marker {
    std::string_view name;
    const std::string& value;
  };
  const Marker markers[] = {{"%TAGNIVEL%", tagNivel},
                            {"%TAG%", tag},
                            {"%ID%", id},
                            {"%MSG%", msg},
                            {"%DESCRICAO%", descricao}};
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    bool replaced = false;
    if (format[i] == '%') {
      for (const auto& m : markers) {
        if (format.compare(i, m.name.size(), m.name) == 0) {
          out += m.value;
          i += m.name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(format[i++]);
  }
  return out;
}

// Ends the tag of a flat-text field that has not been written yet: "|" + tag + "¨".
constexpr std::string_view kCampoEmEspera = "¨";

// The record of a layout line (the text after its "<ID>" markers) and whether the line belongs
// to the group ID.
std::string_view RegistroDoLayout(std::string_view linha, std::string_view ID = {},
                                  bool* doGrupo = nullptr) {
  while (linha.starts_with('<')) {
    const std::size_t fim = linha.find('>');
    if (fim == std::string_view::npos) break;
    if (doGrupo != nullptr && !ID.empty() && equalsNoCase(linha.substr(1, fim - 1), ID)) {
      *doGrupo = true;
    }
    linha.remove_prefix(fim + 1);
  }
  return linha;
}

// A field's content as it goes into a record: "|" becomes "&pipe;" and a line break ";", so
// that the content can neither add a field nor split the record.
std::string ConteudoDoRegistro(const std::string& conteudo) {
  const std::string semBarras = replaceAll(conteudo, "|", "&pipe;");
  return replaceAll(replaceAll(replaceAll(semBarras, "\r\n", ";"), "\r", ";"), "\n", ";");
}

// Every "|" + tag + "¨" of `registro` (tag in any letter case) becomes "|" + conteudo.
void PreencherCampos(std::string& registro, const std::string& tag, const std::string& conteudo) {
  const std::string marca = upperAscii("|" + tag + std::string(kCampoEmEspera));
  for (std::size_t pos = upperAscii(registro).find(marca); pos != std::string::npos;
       pos = upperAscii(registro).find(marca, pos + 1)) {
    registro.replace(pos, marca.size(), "|" + ConteudoDoRegistro(conteudo));
  }
}

// Every field still waiting loses its tag and keeps its place: "|tag¨" becomes "|".
void EsvaziarCampos(std::string& registro) {
  for (std::size_t fim = registro.find(kCampoEmEspera); fim != std::string::npos;
       fim = registro.find(kCampoEmEspera)) {
    const std::size_t barra = registro.rfind('|', fim);
    const std::size_t inicio = barra == std::string::npos ? 0 : barra + 1;
    registro.erase(inicio, fim + kCampoEmEspera.size() - inicio);
  }
}

}  // namespace

std::string TGerador::Indentacao() const {
  const int count = FOpcoes.FNivelIdentacao * FOpcoes.TamanhoIdentacao();
  return std::string(count > 0 ? static_cast<std::size_t>(count) : 0, ' ');
}

void TGerador::AdicionarConteudo(const std::string& texto) {
  if (FOpcoes.IdentarXML()) {
    FArquivoFormatoXML += Indentacao();
    FArquivoFormatoXML += texto;
    FArquivoFormatoXML += "\r\n";
  } else {
    FArquivoFormatoXML += texto;
  }
}

void TGerador::wGrupo(const std::string& TAG, const std::string& ID, bool Identar) {
  FIDNivel = upperAscii(ID);
  const bool fechando = !TAG.empty() && TAG[0] == '/';
  if (fechando) {
    const std::string nome = TAG.substr(1);
    if (nome.starts_with("det")) {
      const auto pos = FTagNivel.find("<det");
      if (pos != std::string::npos) FTagNivel.erase(pos);
    } else {
      const std::string marca = "<" + nome + ">";
      const auto pos = FTagNivel.find(marca);
      if (pos != std::string::npos) FTagNivel.erase(pos, marca.size());
    }
    if (Identar && FOpcoes.FNivelIdentacao > 0) --FOpcoes.FNivelIdentacao;
  } else {
    FTagNivel += "<" + TAG + ">";
    gtNivel(FIDNivel);
  }
  AdicionarConteudo("<" + TAG + ">");
  if (!fechando && Identar) ++FOpcoes.FNivelIdentacao;
}

void TGerador::wCampo(TTipoCampo Tipo, const std::string& IDIn, const std::string& TAGIn, int min,
                      int max, int ocorrencias, const Variant& valor, const std::string& Descricao,
                      bool ParseTextoXML, const std::string& AtributoIn) {
  const std::string ID = trimText(IDIn);
  const std::string TAG = trimText(TAGIn);
  const std::string Atributo = trimText(AtributoIn);
  std::string t;
  bool vazio = false;

  switch (Tipo) {
    case TTipoCampo::tcStr:
      t = trimText(valor.AsString());
      vazio = t.empty();
      break;
    case TTipoCampo::tcStrOrig:
      t = valor.AsString();
      vazio = t.empty();
      break;
    case TTipoCampo::tcNumStr:
      t = trimText(valor.AsString());
      vazio = t.empty();
      t = padLeftZeros(t, min);
      break;
    case TTipoCampo::tcInt: {
      const std::int64_t n = valor.AsInteger().value_or(0);
      t = padLeftZeros(std::to_string(n), min);
      vazio = n == 0 && ocorrencias == 0;
      break;
    }
    case TTipoCampo::tcEsp:
      t = trimText(valor.AsString());
      if (t.empty() || !isAllDigits(t)) wAlerta(ID, TAG, Descricao, kConteudoInvalido);
      vazio = t.empty();
      break;
    case TTipoCampo::tcDat:
    case TTipoCampo::tcDatCFe:
    case TTipoCampo::tcDatVcto:
    case TTipoCampo::tcDatHor:
    case TTipoCampo::tcHor:
    case TTipoCampo::tcHorCFe: {
      const DateTime d = valor.AsDateTime();
      const DateTimeParts p = decodeDateTime(d);
      const std::string hora =
          twoDigits(p.hour) + ":" + twoDigits(p.minute) + ":" + twoDigits(p.second);
      const bool dataZero = std::trunc(d) == 0;
      if (Tipo == TTipoCampo::tcDat) {
        t = fourDigits(p.year) + "-" + twoDigits(p.month) + "-" + twoDigits(p.day);
        vazio = dataZero;
      } else if (Tipo == TTipoCampo::tcDatCFe) {
        t = fourDigits(p.year) + twoDigits(p.month) + twoDigits(p.day);
        vazio = dataZero;
      } else if (Tipo == TTipoCampo::tcDatVcto) {
        t = twoDigits(p.day) + "/" + twoDigits(p.month) + "/" + fourDigits(p.year);
        vazio = dataZero;
      } else if (Tipo == TTipoCampo::tcDatHor) {
        t = fourDigits(p.year) + "-" + twoDigits(p.month) + "-" + twoDigits(p.day) + "T" + hora;
        vazio = dataZero;
      } else if (Tipo == TTipoCampo::tcHor) {
        t = hora;
        vazio = t == "00:00:00";
      } else {
        t = twoDigits(p.hour) + twoDigits(p.minute) + twoDigits(p.second);
        vazio = t == "000000";
      }
      break;
    }
    case TTipoCampo::tcDe2:
    case TTipoCampo::tcDe3:
    case TTipoCampo::tcDe4:
    case TTipoCampo::tcDe6:
    case TTipoCampo::tcDe10: {
      const auto numero = valor.AsFloat();
      const double v = numero.value_or(0);
      if (!numero) {
        t = "0.00";
      } else if (FOpcoes.SuprimirDecimais() && v == std::trunc(v)) {
        t = formatFixed(v, 0).value_or("0");
      } else {
        t = formatFixed(v, decimalsOf(Tipo), FOpcoes.DecimalChar()).value_or("0.00");
      }
      if (!FOpcoes.SuprimirDecimais()) {
        ++min;
        ++max;
      }
      t = padLeftZeros(t, min);
      vazio = v == 0 && ocorrencias == 0;
      break;
    }
    case TTipoCampo::tcBoolStr:
      t = valor.AsBoolean() ? "true" : "false";
      break;
    case TTipoCampo::tcDatHorCFe:
      break;
  }

  std::string alerta;
  const std::size_t tamanho = utf8Length(t);
  bool alertaTamanho = false;
  if (ocorrencias == 1 && vazio && min > 0) alerta = "Nenhum valor informado";
  if (alerta.empty() && min > 0 && tamanho < static_cast<std::size_t>(min) && tamanho >= 2) {
    alerta = "Tamanho menor que o mínimo permitido";
    alertaTamanho = true;
  }
  if (max >= 0 && tamanho > static_cast<std::size_t>(max)) {
    alerta = "Tamanho maior que o máximo permitido";
    alertaTamanho = true;
  }
  const std::string valorTexto = valor.AsString();
  if (alertaTamanho && !trimText(valorTexto).empty()) alerta += " [" + valorTexto + "]";
  if (!alerta.empty()) wAlerta(ID, TAG, Descricao, alerta);

  if (FOpcoes.SomenteValidar()) return;
  const std::string atributo = Atributo.empty() ? std::string() : " " + Atributo;
  if (ocorrencias == 1 && vazio) {
    AdicionarConteudo(FOpcoes.TagVaziaNoFormatoResumido()
                          ? "<" + TAG + atributo + "/>"
                          : "<" + TAG + atributo + "></" + TAG + ">");
    gtCampo(TAG, "");
  } else if (ocorrencias == 1 || !vazio) {
    const std::string conteudo =
        ParseTextoXML ? LimparTextoXML(t, FOpcoes.RetirarAcentos(), FOpcoes.RetirarEspacos()) : t;
    AdicionarConteudo("<" + TAG + atributo + ">" + conteudo + "</" + TAG + ">");
    gtCampo(TAG, conteudo);
  }
}

void TGerador::wCampoCNPJCPF(const std::string& ID1, const std::string& ID2,
                             const std::string& CNPJCPF, bool obrigatorio, bool PreencheZeros) {
  std::string numero = digitsOnly(trimText(CNPJCPF));
  const std::size_t n = numero.size();
  const int ocorrencias = obrigatorio ? 1 : 0;
  if (n == 0 || n > 11) {
    if (PreencheZeros && (obrigatorio || n > 0) && n != 14) {
      numero = n > 14 ? numero.substr(0, 14) : std::string(14 - n, '0') + numero;
    }
    wCampo(TTipoCampo::tcStr, ID1, "CNPJ", 0, 14, ocorrencias, numero);
    if (!numero.empty() && !ValidarCNPJ(numero).empty()) {
      wAlerta(ID1, "CNPJ", "CNPJ", kConteudoInvalido);
    }
  } else {
    if (PreencheZeros && n != 11) numero = std::string(11 - n, '0') + numero;
    wCampo(TTipoCampo::tcStr, ID2, "CPF", 0, 11, ocorrencias, numero);
    if (!numero.empty() && !ValidarCPF(numero).empty()) {
      wAlerta(ID2, "CPF", "CPF", kConteudoInvalido);
    }
  }
  const std::size_t final = numero.size();
  if (final != 0 && final != 11 && final != 14) {
    wAlerta(ID1 + "-" + ID2, "CNPJ-CPF", "CNPJ/CPF", kConteudoInvalido);
  }
}

void TGerador::wDocumento(const std::string& ID, const std::string& valor, bool obrigatorio,
                          const char* TAG, std::size_t tamanho, const std::string& Descricao) {
  const std::string numero = digitsOnly(trimText(valor));
  const int size = static_cast<int>(tamanho);
  wCampo(TTipoCampo::tcEsp, ID, TAG, size, size, obrigatorio ? 1 : 0, numero, Descricao);
  const std::string erro = tamanho == 14 ? ValidarCNPJ(numero) : ValidarCPF(numero);
  if (!erro.empty()) wAlerta(ID, TAG, Descricao, kConteudoInvalido);
}

void TGerador::wCampoCNPJ(const std::string& ID, const std::string& CNPJ, int cPais,
                          bool obrigatorio) {
  if (cPais == 1058) {
    wDocumento(ID, CNPJ, obrigatorio, "CNPJ", 14, "CNPJ(MF)");
  } else {
    wCampo(TTipoCampo::tcStr, ID, "CNPJ", 0, 0, 1, "");
  }
}

void TGerador::wCampoCPF(const std::string& ID, const std::string& CPF, int cPais,
                         bool obrigatorio) {
  if (cPais == 1058) {
    wDocumento(ID, CPF, obrigatorio, "CPF", 11, "CPF");
  } else {
    wCampo(TTipoCampo::tcStr, ID, "CPF", 0, 0, 1, "");
  }
}

void TGerador::wAlerta(const std::string& ID, const std::string& TAG, const std::string& Descricao,
                       const std::string& Alerta) {
  if (trimText(Alerta).empty()) return;
  FListaDeAlertas.push_back(
      fillTemplate(FOpcoes.FormatoAlerta(), FTagNivel, TAG, ID, Alerta, trimText(Descricao)));
}

void TGerador::wTexto(const std::string& Texto) {
  AdicionarConteudo(Texto);
}

void TGerador::wGrupoNFSe(const std::string& TAG, const std::string& ID, bool Identar) {
  if (!TAG.empty() && TAG[0] == '/') {
    wGrupo("/" + FPrefixo + TAG.substr(1), ID, Identar);
  } else {
    wGrupo(FPrefixo + TAG, ID, Identar);
  }
}

void TGerador::wCampoNFSe(TTipoCampo Tipo, const std::string& ID, const std::string& TAG, int min,
                          int max, int ocorrencias, const Variant& valor,
                          const std::string& Descricao, bool ParseTextoXML,
                          const std::string& Atributo) {
  wCampo(Tipo, ID, FPrefixo + trimText(TAG), min, max, ocorrencias, valor, Descricao, ParseTextoXML,
         Atributo);
}

// --- flat-text layout

void TGerador::gtNivel(const std::string& ID) {
  if (FLayoutArquivoTXT.empty() || ID.empty()) return;
  for (const std::string& linha : FLayoutArquivoTXT) {
    bool doGrupo = false;
    const std::string_view registro = RegistroDoLayout(linha, ID, &doGrupo);
    if (!doGrupo) continue;
    if (!FArquivoFormatoTXT.empty()) FArquivoFormatoTXT += "\r\n";
    FArquivoFormatoTXT += registro;
  }
}

void TGerador::gtCampo(const std::string& Tag, const std::string& Conteudo) {
  if (FLayoutArquivoTXT.empty()) return;
  const std::string marca = upperAscii("|" + trimText(Tag) + std::string(kCampoEmEspera));
  const std::size_t pos = upperAscii(FArquivoFormatoTXT).rfind(marca);
  if (pos == std::string::npos) return;
  FArquivoFormatoTXT.replace(pos, marca.size(), "|" + ConteudoDoRegistro(Conteudo));
}

void TGerador::gtAjustarRegistros(const std::string& ID) {
  if (FLayoutArquivoTXT.empty()) return;
  std::set<std::string, std::less<>> intocados;  // records as the layout gives them
  for (const std::string& linha : FLayoutArquivoTXT) {
    const std::string_view registro = RegistroDoLayout(linha);
    if (registro.find(kCampoEmEspera) != std::string_view::npos) intocados.emplace(registro);
  }
  std::string texto;
  for (std::string registro : splitLines(FArquivoFormatoTXT)) {
    if (!ID.empty()) PreencherCampos(registro, "Id", ID);
    if (intocados.contains(registro)) continue;
    EsvaziarCampos(registro);
    if (!texto.empty()) texto += "\r\n";
    texto += registro;
  }
  FArquivoFormatoTXT = std::move(texto);
}

bool TGerador::SalvarArquivo(const std::filesystem::path& CaminhoArquivo,
                             TFormatoGravacao FormatoGravacao) {
  GravarArquivo(CaminhoArquivo, (FormatoGravacao == TFormatoGravacao::fgTXT ? FArquivoFormatoTXT
                                                                            : FArquivoFormatoXML) +
                                    "\r\n");
  return true;
}

}  // namespace luvaro
