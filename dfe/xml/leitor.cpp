#include "dfe/xml/leitor.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "dfe/dfe_exception.h"
#include "dfe/xml/texto.h"
#include "dfe/xml/texto_xml.h"

namespace luvaro {
namespace {

constexpr std::size_t npos = std::string::npos;

// Position of the first closing tag "</tag>" or, failing that, "</tag:" in s from `from`;
// `length` receives the length of the tag text up to and including its '>'.
std::size_t findClosing(const std::string& s, const std::string& tag, std::size_t from,
                        std::size_t& length) {
  const std::string plain = "</" + tag + ">";
  std::size_t pos = s.find(plain, from);
  if (pos != npos) {
    length = plain.size();
    return pos;
  }
  pos = s.find("</" + tag + ":", from);
  if (pos == npos) return npos;
  const std::size_t gt = s.find('>', pos);
  length = (gt == npos ? s.size() : gt + 1) - pos;
  return pos;
}

int readNumber(const std::string& s, std::size_t pos, std::size_t count, bool& ok) {
  if (pos + count > s.size()) {
    ok = false;
    return 0;
  }
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (s[i] < '0' || s[i] > '9') {
      ok = false;
      return 0;
    }
    value = value * 10 + (s[i] - '0');
  }
  return value;
}

struct DateLayout {
  // Start positions of year, month, day, hour, minute and second; npos for absent parts.
  std::size_t year, month, day, hour, minute, second;
};

DateLayout layoutOf(TTipoCampo tipo) {
  switch (tipo) {
    case TTipoCampo::tcDat:
      return {0, 5, 8, npos, npos, npos};
    case TTipoCampo::tcDatHor:
      return {0, 5, 8, 11, 14, 17};
    case TTipoCampo::tcHor:
      return {npos, npos, npos, 0, 3, 6};
    case TTipoCampo::tcDatCFe:
      return {0, 4, 6, npos, npos, npos};
    case TTipoCampo::tcHorCFe:
      return {npos, npos, npos, 0, 2, 4};
    case TTipoCampo::tcDatVcto:
      return {6, 3, 0, npos, npos, npos};
    default:
      return {0, 4, 6, 8, 10, 12};  // tcDatHorCFe
  }
}

}  // namespace

const std::string& TLeitor::Nivel(int nivel) const {
  static const std::string kVazio;
  if (nivel < 0 || nivel >= kNiveis) return kVazio;
  return nivel == 0 ? FArquivo : FNivel[static_cast<std::size_t>(nivel)];
}

bool TLeitor::CarregarArquivo(const std::filesystem::path& CaminhoArquivo) {
  std::ifstream in(CaminhoArquivo, std::ios::binary);
  if (!in) throw EDFeException("Arquivo não encontrado: " + CaminhoArquivo.string());
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EDFeException("Erro ao ler o arquivo: " + CaminhoArquivo.string());
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::string texto;
  texto.reserve(bytes.size() + 64);
  for (const std::string& linha : splitLines(bytes)) {
    texto += linha;
    texto += "\r\n";
  }
  FArquivo = std::move(texto);
  return true;
}

bool TLeitor::CarregarArquivo(std::istream& Stream) {
  std::ostringstream out;
  out << Stream.rdbuf();
  FArquivo = out.str();
  return true;
}

std::string TLeitor::rExtrai(int nivel, const std::string& TagInicio, const std::string& TagFimIn,
                             int item) {
  FGrupo.clear();
  if (nivel < 1 || nivel >= kNiveis || TagInicio.empty()) return {};
  const std::string TagFim = TagFimIn.empty() ? TagInicio : TagFimIn;
  // Level 0 is the document itself, read in place rather than copied on every call.
  const std::string& texto = nivel == 1 ? FArquivo : FNivel[static_cast<std::size_t>(nivel - 1)];

  // Skip the elements before the wanted one.
  std::size_t inicio = 0;
  const std::string fecha = "</" + TagFim + ">";
  for (int i = 1; i < item; ++i) {
    const std::size_t pos = texto.find(fecha, inicio);
    if (pos == npos) return {};
    inicio = pos + fecha.size();
  }

  // The start tag must open before the first closing tag that follows.
  std::size_t tamanhoFecha = 0;
  const std::size_t limite = findClosing(texto, TagFim, inicio, tamanhoFecha);
  if (limite == npos) return {};
  const std::string_view trecho(texto.data() + inicio, limite - inicio);
  std::size_t abre = trecho.find("<" + TagInicio + ">");
  if (abre == npos) abre = trecho.find("<" + TagInicio + " ");
  if (abre == npos) abre = trecho.find("<" + TagInicio + ":");
  if (abre == npos) return {};

  std::string resultado = trimRight(
      std::string_view(texto).substr(inicio + abre, limite + tamanhoFecha - (inicio + abre)));
  FNivel[static_cast<std::size_t>(nivel)] = resultado;
  FGrupo = resultado;
  return resultado;
}

Variant TLeitor::rCampo(TTipoCampo Tipo, const std::string& TAG, const std::string& TAGparada) {
  const std::string tag = upperAscii(trimText(TAG));
  const std::string grupo = upperAscii(FGrupo);
  std::string conteudo;
  const std::string abre = "<" + tag + ">";
  std::size_t inicio = tag.empty() ? npos : grupo.find(abre);
  if (inicio != npos && !TAGparada.empty()) {
    const std::size_t parada = grupo.find("<" + upperAscii(trimText(TAGparada)) + ">");
    if (parada != npos && parada < inicio) inicio = npos;
  }
  if (inicio != npos) {
    inicio += abre.size();
    const std::size_t fim = grupo.find("</" + tag + ">", inicio);
    if (fim != npos) conteudo = trimText(std::string_view(FGrupo).substr(inicio, fim - inicio));
  }

  switch (Tipo) {
    case TTipoCampo::tcBoolStr:
    case TTipoCampo::tcStrOrig:
    case TTipoCampo::tcNumStr:
      throw EDFeException("Tag <" + tag + "> com conteúdo inválido. " + conteudo);
    case TTipoCampo::tcStr:
      return DecodificarTextoXML(conteudo);
    case TTipoCampo::tcEsp:
      return conteudo;
    default:
      break;
  }
  if (Tipo == TTipoCampo::tcInt) {
    if (conteudo.empty()) return std::int64_t{0};
    const auto n = parseInteger(digitsOnly(conteudo));
    return n ? *n : 0;
  }
  if (Tipo == TTipoCampo::tcDe2 || Tipo == TTipoCampo::tcDe3 || Tipo == TTipoCampo::tcDe4 ||
      Tipo == TTipoCampo::tcDe6 || Tipo == TTipoCampo::tcDe10) {
    return parseDecimal(conteudo).value_or(0.0);
  }
  if (conteudo.empty()) return Variant::Date(0);

  const DateLayout l = layoutOf(Tipo);
  bool ok = true;
  DateTimeParts p;
  if (l.year != npos) {
    p.year = readNumber(conteudo, l.year, 4, ok);
    p.month = readNumber(conteudo, l.month, 2, ok);
    p.day = readNumber(conteudo, l.day, 2, ok);
  }
  if (l.hour != npos) {
    p.hour = readNumber(conteudo, l.hour, 2, ok);
    p.minute = readNumber(conteudo, l.minute, 2, ok);
    p.second = readNumber(conteudo, l.second, 2, ok);
  }
  DateTime valor = 0;
  if (!ok || !tryEncodeDateTime(p, valor)) {
    throw EDFeException("Tag <" + tag + "> com conteúdo inválido. " + conteudo);
  }
  if (l.year == npos) valor -= std::trunc(valor);  // a time alone is a fraction of day zero
  return Variant::Date(valor);
}

std::string TLeitor::rCampoCNPJCPF(const std::string& TAGparada) {
  std::string valor = rCampo(TTipoCampo::tcStr, "CNPJ", TAGparada).AsString();
  if (valor.empty()) valor = rCampo(TTipoCampo::tcStr, "CPF", TAGparada).AsString();
  return valor;
}

std::string TLeitor::rAtributo(const std::string& Atributo, const std::string& Tag) {
  if (Atributo.empty()) return {};
  // Finds the name from `from`; `tamanho` is the length matched, `comIgual` whether the match
  // took the "=" with it.
  bool comIgual = false;
  const auto localizar = [&](std::size_t from, std::size_t& tamanho) {
    if (Atributo.back() == '=') {
      tamanho = Atributo.size();
      comIgual = true;
      return FGrupo.find(Atributo, from);
    }
    tamanho = Atributo.size() + 1;
    std::size_t pos = FGrupo.find(Atributo + "=", from);
    comIgual = pos != npos;
    if (pos == npos) pos = FGrupo.find(Atributo + " ", from);
    return pos;
  };
  std::size_t tamanho = 0;
  std::size_t pos = localizar(0, tamanho);
  if (!Tag.empty()) {
    const std::size_t posTag = FGrupo.find(Tag);
    if (posTag != npos && (pos == npos || pos < posTag)) pos = localizar(posTag, tamanho);
  }
  if (pos == npos) return {};

  // After the name: blanks, the "=" when the match did not take it, blanks, then a quote.
  std::size_t i = pos + tamanho;
  const auto pularBrancos = [&] {
    while (i < FGrupo.size() && static_cast<unsigned char>(FGrupo[i]) <= ' ') ++i;
  };
  pularBrancos();
  if (!comIgual) {
    if (i >= FGrupo.size() || FGrupo[i] != '=') return {};
    ++i;
    pularBrancos();
  }
  if (i >= FGrupo.size() || (FGrupo[i] != '"' && FGrupo[i] != '\'')) return {};
  const char aspas = FGrupo[i];
  const std::size_t fim = FGrupo.find(aspas, i + 1);
  if (fim == npos) return {};
  return DecodificarTextoXML(trimLeft(std::string_view(FGrupo).substr(i + 1, fim - i - 1)));
}

std::size_t TLeitor::PosLast(const std::string& SubStr, const std::string& S) {
  if (SubStr.empty()) return 0;
  const std::size_t pos = S.rfind(SubStr);
  return pos == npos ? 0 : pos + 1;
}

}  // namespace luvaro
