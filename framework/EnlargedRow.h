#pragma once

#include <QRgb>

#include <array>
#include <cstdint>
#include <vector>

// Qt's own drawing can leave the upper halves of the vector registers in use, and every
// SSE instruction after it then pays to keep them (measured: a whole paint at twice its
// time). One instruction clears them, where the processor has upper halves at all.
void ClearUpperVectorHalves();

// The rows of an 8-bit image enlarged pixel for pixel: device pixel x of every row
// shows source column columns[x], no source pixel being smaller than a device pixel.
// Built once per paint from the columns in view, then used row by row.
class CEnlargedRow
{
public:
    // colours: the image's 256-entry table, kept for the life of this object;
    // sourceWidth: the bytes every source row holds, which no read goes past.
    CEnlargedRow(std::vector<int> columns, int sourceWidth, const QRgb *colours);

    // The device pixels of one row, from the source row `in`.
    void Draw(QRgb *out, const unsigned char *in) const;

private:
    void Gather(QRgb *out, const unsigned char *in, int from, int to) const;
    void DrawRuns(QRgb *out, const unsigned char *in) const;
    bool DrawShuffled(QRgb *out, const unsigned char *in) const;

    std::vector<int> m_columns;
    const QRgb *m_pColours;
    // Left to right with no source column skipped (an enlargement that is not
    // mirrored): device pixels [m_starts[k], m_starts[k + 1]) show source column
    // m_columns.front() + k.
    std::vector<int> m_starts;
    // With a grey table, groups of 16 device pixels built by one byte shuffle each, of
    // the 16 source bytes from m_groupColumns[g].
    std::vector<int> m_groupColumns;
    std::vector<std::array<std::uint8_t, 16>> m_groupShuffles;
};
