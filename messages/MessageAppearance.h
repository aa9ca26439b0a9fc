#pragma once

class PreferencesSendMessage;
class QPlainTextEdit;

// Draws a message field in the record's font and colours, at once.
void ApplyMessageAppearance(QPlainTextEdit* edit, const PreferencesSendMessage& record);
