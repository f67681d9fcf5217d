#include "richtext/rtf_fields.h"

#include <QStringList>

namespace orbeta::rtf {

namespace {

// A word of a field instruction: quoted words are arguments, whatever they start with; in them
// a doubled backslash stands for one, as Word writes paths.
struct InstructionWord {
    QString text;
    bool quoted = false;

    bool isSwitch(QLatin1String name) const { return !quoted && text == name; }
};

QList<InstructionWord> instructionWords(const QString& instruction) {
    QList<InstructionWord> words;
    InstructionWord word;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < instruction.size(); ++i) {
        const QChar c = instruction.at(i);
        if (c == QLatin1Char('"')) {
            if (quoted) {
                word.quoted = true;
                words << word;
                word = {};
                any = false;
            }
            quoted = !quoted;
            continue;
        }
        if (!quoted && c.isSpace()) {
            if (any)
                words << word;
            word = {};
            any = false;
            continue;
        }
        if (quoted && c == QLatin1Char('\\') && i + 1 < instruction.size() &&
            instruction.at(i + 1) == QLatin1Char('\\'))
            ++i;
        word.text += c;
        any = true;
    }
    if (any || quoted) {
        word.quoted = quoted;
        words << word;
    }
    return words;
}

} // namespace

QString hyperlinkTarget(const QString& instruction) {
    const QList<InstructionWord> words = instructionWords(instruction);
    if (words.isEmpty() ||
        words.first().text.compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return {};
    QString target;
    QString bookmark;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const InstructionWord& word = words.at(i);
        if (!word.quoted && word.text.startsWith(QLatin1Char('\\'))) {
            // \l names a bookmark; \o, \t, \m and friends take an argument we do not need.
            const bool takesArgument = word.isSwitch(QLatin1String("\\l")) ||
                                       word.isSwitch(QLatin1String("\\o")) ||
                                       word.isSwitch(QLatin1String("\\t"));
            if (takesArgument && i + 1 < words.size()) {
                if (word.isSwitch(QLatin1String("\\l")))
                    bookmark = words.at(i + 1).text;
                ++i;
            }
            continue;
        }
        if (target.isEmpty())
            target = word.text;
    }
    if (!bookmark.isEmpty())
        target += QLatin1Char('#') + bookmark;
    return target;
}

QString hyperlinkInstruction(const QString& target) {
    QString quotable = target;
    quotable.replace(QLatin1Char('"'), QLatin1String("%22"));
    quotable.replace(QLatin1String("\\"), QLatin1String("\\\\"));
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
