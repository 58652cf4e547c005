#pragma once

class CPlayer;
class CSettings;

// Hands the mixer values of a loaded settings record to the player: mix enabled when
// "usemixer" is 1, then "mixseconds", "mixspeed", "mixtype" and "fitfades". Run each time a
// playlist document is created or opened, after the shared record was reloaded. Any thread.
void ApplyPlayerSettings(CPlayer& player, const CSettings& settings);
