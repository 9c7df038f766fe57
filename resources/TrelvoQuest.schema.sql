-- The catalogue of downloaded tours shipped in the bundle as TrelvoQuest.sqlite3.
-- The column names are historical: imagepath holds the tour's whole JSON reply text,
-- is_uptodate is "1" when an update of the tour is available, and ask_for_donation
-- holds the time the tour was stored.
CREATE TABLE "Catalog" (
    "id" INTEGER PRIMARY KEY,
    "id_circuit" TEXT NOT NULL UNIQUE,
    "imagepath" TEXT NOT NULL,
    "is_uptodate" TEXT NOT NULL,
    "ask_for_donation" TEXT
);
