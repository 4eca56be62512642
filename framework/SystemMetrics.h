#pragma once

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;

// SM_CXFULLSCREEN / SM_CYFULLSCREEN: the primary screen's available area (without panels
// and docks); SM_CXSCREEN / SM_CYSCREEN: the whole primary screen; SM_CXVSCROLL /
// SM_CYHSCROLL: the style's scroll bar extent. 0 for other indexes, or without a screen.
int GetSystemMetrics(int nIndex);

// Makes GetSystemMetrics(nIndex) return nValue until reset, so tests fix the screen.
void AfxOverrideSystemMetric(int nIndex, int nValue);
void AfxResetSystemMetrics();
