#pragma once
// Drop-down lists named for assistive tools by the label of their row, not
// by the entry they show (which is their value).

// Registers the accessible form of every QComboBox; safe to call again.
void installComboAccessible();
