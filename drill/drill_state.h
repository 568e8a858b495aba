#pragma once

#include <QtGlobal>

// The state of the drill for this run; nothing of it is stored in any file.
struct DrillState
{
    qint32 CorrectCount = 0;
    qint32 WrongCount = 0;   // wrong answers and every F1 in the answer field
    int CurrentPosition = 0; // the pair on screen (1..Count); 0 before the first offer
    int OfferedSide = 1;     // the side shown; 3 - OfferedSide is the expected answer
    bool Revealed = false;   // the expected answer has been shown with F1
};

// The edge in pixels of the motivating picture at an error rate of v percent (10 to 32):
// floor(13 * (75 v - 200) / 440), 16 at 10 % and exactly 65 at 32 %.
int PictureSize(double errorRate);

// Adds one to a counter, stopping at the largest value instead of overflowing.
void IncrementCounter(qint32 &counter);
