#pragma once

// Owners of libxml2 handles. Included only by back-end .cpp files and private (*_int.h)
// headers, never by a facade, model or interface header.

#include <memory>

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>

#include "dfe/raii/cfree.h"

namespace luvaro {

using XmlDocPtr = std::unique_ptr<xmlDoc, CFree<&xmlFreeDoc>>;
// A node unlinked from its document (or never linked); linked nodes are borrowed, never owned.
using XmlNodePtr = std::unique_ptr<xmlNode, CFree<&xmlFreeNode>>;
using XmlParserCtxtPtr = std::unique_ptr<xmlParserCtxt, CFree<&xmlFreeParserCtxt>>;
using XmlXPathContextPtr = std::unique_ptr<xmlXPathContext, CFree<&xmlXPathFreeContext>>;
using XmlXPathObjectPtr = std::unique_ptr<xmlXPathObject, CFree<&xmlXPathFreeObject>>;
using XmlBufferPtr = std::unique_ptr<xmlBuffer, CFree<&xmlBufferFree>>;
using XmlSchemaParserCtxtPtr =
    std::unique_ptr<xmlSchemaParserCtxt, CFree<&xmlSchemaFreeParserCtxt>>;
using XmlSchemaValidCtxtPtr = std::unique_ptr<xmlSchemaValidCtxt, CFree<&xmlSchemaFreeValidCtxt>>;
using XmlSchemaPtr = std::unique_ptr<xmlSchema, CFree<&xmlSchemaFree>>;
// Strings libxml2 allocates for the caller (xmlGetProp, xmlNodeGetContent, dump buffers).
// xmlFree is a function pointer variable, hence the lambda.
using XmlCharPtr = std::unique_ptr<xmlChar, CFree<[](xmlChar* p) { xmlFree(p); }>>;
// An output buffer; closing it flushes and frees it.
using XmlOutputBufferPtr =
    std::unique_ptr<xmlOutputBuffer, CFree<[](xmlOutputBuffer* p) { xmlOutputBufferClose(p); }>>;
// A save context; closing it flushes into its buffer.
using XmlSaveCtxtPtr = std::unique_ptr<xmlSaveCtxt, CFree<[](xmlSaveCtxt* p) { xmlSaveClose(p); }>>;

}  // namespace luvaro
