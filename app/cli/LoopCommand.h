#pragma once

#include <string>
#include <vector>

// `mixorel-cli loop [--from N] [--no-mix] [--schedule] [--log FILE] [--stream URL]
// [--record FOLDER] ... PLAYLIST.qmx`: the headless looping player, and the station of a
// machine without a display: --stream sends the mix to an Icecast server with the song's
// title, --record records the show. Loops the playlist from line N as the Loop command does, with
// the settings from the store; --schedule runs the scheduler for its regions; --log
// writes the play log to FILE whatever the settings say. Prints a line as each song
// starts. Answers 0 when the loop ends by itself or after SIGINT/SIGTERM (loop stopped,
// song faded out, log end line written), 1 when the list or the player fails, 2 for a
// usage error.
int RunLoopCommand(const std::vector<std::string>& args);
