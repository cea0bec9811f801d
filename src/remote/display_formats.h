#pragma once
// Icon choice by file name, and the "Date Modified" text.

#include "main_window/ftp_client.h"

#include <QString>

// Icon index 1..10 by the name's extension.
short ImgNumber(const QString& name);
// "5.3.2021 14:07": day.month.year hour:minutes, no leading zeros but the minutes'.
QString DateText(const SYSTEMTIME& time);
// The same date to the second as one number that grows with it (Form1::RemoteDateRole).
qint64 listedDateStamp(const SYSTEMTIME& time);
// The date and time a stamp was made of.
SYSTEMTIME listedDateOfStamp(qint64 stamp);
