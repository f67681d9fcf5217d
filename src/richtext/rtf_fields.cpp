#include "richtext/rtf_fields.h"

#include <QStringList>

namespace orbeta::rtf {

namespace {

// Splits a field instruction into words; quoted words keep their blanks.
QStringList instructionWords(const QString& instruction) {
    QStringList words;
    QString word;
    bool quoted = false;
    bool any = false;
    for (const QChar c : instruction) {
        if (c == QLatin1Char('"')) {
            if (quoted) {
                words << word;
                word.clear();
                any = false;
            }
            quoted = !quoted;
            continue;
        }
        if (!quoted && c.isSpace()) {
            if (any)
                words << word;
            word.clear();
            any = false;
            continue;
        }
        word += c;
        any = true;
    }
    if (any || quoted)
        words << word;
    return words;
}

} // namespace

QString hyperlinkTarget(const QString& instruction) {
    const QStringList words = instructionWords(instruction);
    if (words.isEmpty() ||
        words.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return {};
    QString target;
    QString bookmark;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (word.startsWith(QLatin1Char('\\'))) {
            // \l names a bookmark; \o, \t, \m and friends take an argument we do not need.
            const bool takesArgument = word == QLatin1String("\\l") ||
                                       word == QLatin1String("\\o") || word == QLatin1String("\\t");
            if (takesArgument && i + 1 < words.size()) {
                if (word == QLatin1String("\\l"))
                    bookmark = words.at(i + 1);
                ++i;
            }
            continue;
        }
        if (target.isEmpty())
            target = word;
    }
    if (!bookmark.isEmpty())
        target += QLatin1Char('#') + bookmark;
    return target;
}

QString hyperlinkInstruction(const QString& target) {
    QString quotable = target;
    quotable.replace(QLatin1Char('"'), QLatin1String("%22"));
    if (quotable.startsWith(QLatin1Char('#')))
        return QStringLiteral("HYPERLINK \\l \"%1\"").arg(quotable.mid(1));
    return QStringLiteral("HYPERLINK \"%1\"").arg(quotable);
}

void Fields::addInstruction(const QString& text) {
    if (!open_.empty())
        open_.back().instruction += text;
}

void Fields::instructionEnded() {
    if (!open_.empty())
        open_.back().target = hyperlinkTarget(open_.back().instruction.trimmed());
}

int Fields::resultStarted() {
    if (open_.empty() || open_.back().target.isEmpty())
        return -1;
    links_.append(open_.back().target);
    return static_cast<int>(links_.size() - 1);
}

void Fields::closeDeeperThan(std::size_t depth) {
    while (!open_.empty() && open_.back().depth > depth)
        open_.pop_back();
}

QString Fields::link(int link) const {
    return link >= 0 && link < links_.size() ? links_.at(link) : QString();
}

} // namespace orbeta::rtf
