#pragma once

#include <string>

namespace luvaro {

// Text helpers with which the web-service calls cut their reply out of the SOAP envelope. They
// search text, they do not parse XML: a reply is cut the same way whatever else it holds.

// The element `Elemento` of `Texto`. Both searches run on the upper-cased text for the
// upper-cased name: the start is the first "<" + name (longer names that begin with it and
// tags with attributes match too), the end the first "/" + name anywhere in the text. With
// `ManterTags` the result runs from the start through the ">" after the end; without, from
// after the first ">" at or after the start up to the "<" before the end. When the start or the
// end is missing and `PermitirPrefixo` is set, the namespace prefix of the first ":" + name
// (letter case counting) is taken from the nearest "<" before it, and the search is made once
// more with prefix + ":" + name. Empty when nothing is found.
std::string ExtrairElemento(const std::string& Texto, const std::string& Elemento,
                            bool ManterTags = false, bool PermitirPrefixo = true);

// The reply's bytes as text (UTF-8; bytes that are not valid UTF-8 are read as Windows-1252),
// with, in this order and each over the whole text, &amp; &lt; &gt; &quot; &#39;, the named
// Portuguese accents (&aacute; ... &Ccedil;) and &apos; replaced by their characters.
std::string DecodificarResposta(const std::string& Texto);

// The text between the first `Inicio` and the first `Fim` after it; with `IncluirMarcadores`
// the two markers are part of the result. Empty when either marker is missing (or empty).
std::string TextoEntre(const std::string& Texto, const std::string& Inicio, const std::string& Fim,
                       bool IncluirMarcadores = false);

}  // namespace luvaro
