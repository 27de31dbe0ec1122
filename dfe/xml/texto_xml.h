#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace luvaro {

// The accent removal of the XML writer. It works on the Windows-1252 form of the text, byte by
// byte: letters with diacritics become their base letter, and then every byte that is not
// backspace, LF, CR or printable ASCII becomes a blank. The result is plain ASCII.
std::string RemoverAcentos(std::string_view text);

// & < > " and ' as the XML entities &amp; &lt; &gt; &quot; &#39;.
std::string EscaparTextoXML(std::string_view text);

// The writer's content filter: accent removal (optional), reduction to what Windows-1252 can
// hold ('?' for the rest), escaping, blank collapsing (optional), line breaks to ";", trim.
std::string LimparTextoXML(std::string_view text, bool retirarAcentos, bool retirarEspacos);

// The reader's decoding: the five entities back to their characters, &amp; first, then each
// hexadecimal reference &#x...; to the character it codes; the result trimmed.
std::string DecodificarTextoXML(std::string_view text);

// Whether a document declares UTF-8: its first 50 characters (UTF-8 code points), lower-cased,
// hold "encoding" and, after it, "utf-8".
bool DeclaraUTF8(std::string_view xml);

// The document as it may stand inside another one (an event inside a lot, a request inside a
// SOAP body): without a byte-order mark, the blanks before its XML declaration, the
// declaration itself whatever its spelling (either quote, any encoding name, standalone) and
// the blanks after it. A text that opens with no declaration loses only its byte-order mark and
// its leading blanks; nothing after the opening is touched (a declaration-like text in CDATA
// stays).
std::string RemoverDeclaracaoXML(std::string_view xml);

// The documents of a text that holds one or more, each ending with `fechamento` ("</eSocial>",
// "</Reinf>"; letter case counts): each runs from the start of the remaining text up to and
// including the first `fechamento`, and the rest, trimmed of blanks at both ends, is searched
// next. Only the first document can begin with blanks. What follows the last one (trimmed) is
// left in *resto when asked for; the containers drop it.
std::vector<std::string> DividirDocumentos(std::string_view texto, std::string_view fechamento,
                                           std::string* resto = nullptr);

}  // namespace luvaro
