#pragma once

namespace tq {

class StoryboardRegistry;

// Registers every screen of the application, with its layouts and segues, in the storyboards
// ("Main", "Main-ipad" and the others). One line per screen, in Storyboards.cpp.
void registerStoryboards(StoryboardRegistry& registry);

// The tour screen's map transition leads to the native map (MapController) instead of the web
// map: the way into the native map, which no screen opens in code.
void openToursOnNativeMap(StoryboardRegistry& registry);

}  // namespace tq
