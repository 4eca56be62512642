#pragma once

constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CXFULLSCREEN = 16;

// SM_CXFULLSCREEN: the primary screen's available width (without panels and docks);
// SM_CXVSCROLL: the style's scroll bar extent. 0 for other indexes, or without a screen.
int GetSystemMetrics(int nIndex);

// Makes GetSystemMetrics(nIndex) return nValue until reset, so tests fix the screen.
void AfxOverrideSystemMetric(int nIndex, int nValue);
void AfxResetSystemMetrics();
