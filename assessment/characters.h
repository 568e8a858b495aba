#pragma once

#include <QStringView>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// A text as its characters, so that a character outside the basic plane (two UTF-16 units)
// counts once; a lone surrogate counts as one character. Compared texts are short: they live
// on the stack.
class Characters
{
public:
    explicit Characters(QStringView text)
    {
        char32_t *out = m_fixed.data();
        if (text.size() > qsizetype(m_fixed.size())) {
            m_more.resize(std::size_t(text.size()));
            out = m_more.data();
        }
        m_data = out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                *out++ = QChar::surrogateToUcs4(c, text.at(i + 1));
                ++i;
            } else {
                *out++ = c.unicode();
            }
        }
        m_size = std::size_t(out - m_data);
    }
    Characters(const Characters &) = delete;
    Characters &operator=(const Characters &) = delete;

    std::u32string_view view() const { return std::u32string_view(m_data, m_size); }

private:
    std::array<char32_t, 64> m_fixed;
    std::u32string m_more;
    const char32_t *m_data = nullptr;
    std::size_t m_size = 0;
};
