// libFuzzer target: any bytes through the tokenizer and the reader's state machine, without a
// document, so that thousands of inputs a second reach the handlers of every kind of word; and
// the text read through the search's folding, which must give it back.
#include "richtext/rtf_plain_text.h"
#include "richtext/rtf_tokenizer.h"
#include "search/text_folding.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    orbeta::rtf::Tokenizer tokens(input);
    qsizetype last = -1;
    for (orbeta::rtf::Token token = tokens.next(); token.type != orbeta::rtf::TokenType::End;
         token = tokens.next()) {
        if (token.offset <= last || tokens.offset() > input.size())
            std::abort(); // every token moves on, and none reads past the end
        last = token.offset;
    }
    orbeta::rtf::ReadResult result;
    const QString text = orbeta::rtf::rtfPlainText(input, &result);
    if (result.status == orbeta::rtf::ReadStatus::Damaged &&
        (result.offset < 0 || result.offset > input.size()))
        std::abort(); // a problem is placed inside the input
    const orbeta::FoldedText folded(text);
    if (folded.original() != text)
        std::abort();
    return 0;
}
