#pragma once

#include <QStringView>

#include <functional>
#include <memory>

namespace orbeta {

// What the search makes of a memo's text to find things in it: made on the store's reading
// threads once searching has begun, and kept beside what the store knows of the file. The store
// knows nothing of its form.
class SearchableText {
public:
    virtual ~SearchableText() = default;
};
using MakeSearchable = std::function<std::shared_ptr<const SearchableText>(QStringView text)>;

} // namespace orbeta
