#pragma once
// The status panel of the transmitted count: "发送：1234" or "发送1234", plus a note when
// something did not go as typed (the line was blocked, or characters GBK cannot represent
// went out as '?'), explained in the panel's tool tip.
class QLabel;
struct CountNote;

void ShowCountNote(QLabel* panel, const CountNote& note);
