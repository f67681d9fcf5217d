#pragma once

#include <QString>

class QTextDocument;

// A line-per-item description of a document's text and formatting, for comparing documents
// and for golden files: paragraphs ("P"), their runs, pictures, tables and their cells.
// Distances are in twips, colours as #rrggbb, text quoted with \t, \n (line break) and \" escaped.
QString dumpDocument(const QTextDocument& document);
