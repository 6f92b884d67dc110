#include <Mermaid/MermaidScene.h>

#include <QHashFunctions>

namespace Mermaid {

size_t qHash(const FontSpec &font, size_t seed) noexcept
{
    return qHashMulti(seed, font.family, font.size, static_cast<int>(font.weight), font.italic);
}

std::string_view rawValue(FontSpec::Weight weight)
{
    for (const auto &name : fontWeightNames) {
        if (name.value == weight)
            return name.raw;
    }
    return {};
}

std::string_view rawValue(TextAnchor anchor)
{
    for (const auto &name : textAnchorNames) {
        if (name.value == anchor)
            return name.raw;
    }
    return {};
}

} // namespace Mermaid
