#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace orbeta::rtf {

// The target of a HYPERLINK field instruction ("#name" for a \l bookmark), or nothing when the
// instruction is some other field.
QString hyperlinkTarget(const QString& instruction);

// The instruction the writer puts in a link's field.
QString hyperlinkInstruction(const QString& target);

// The fields (\field) open around the text being read, innermost last, and the link targets
// their results have given so far: text inside a link's result refers to its target by number.
class Fields {
public:
    void open(std::size_t depth) { open_.push_back({depth, {}, {}}); }
    bool isOpen() const { return !open_.empty(); }
    void addInstruction(const QString& text);
    void instructionEnded();
    // The innermost field's result starts: the number of its link target, or -1 for a field
    // that is no link.
    int resultStarted();
    // Groups deeper than `depth` have closed.
    void closeDeeperThan(std::size_t depth);

    // The target of link number `link`; empty for -1.
    QString link(int link) const;

private:
    struct Field {
        std::size_t depth;
        QString instruction;
        QString target;
    };
    std::vector<Field> open_;
    QStringList links_;
};

} // namespace orbeta::rtf
