// The tables, brought up to date when a server starts: each migration runs once, in
// order, under a lock, and the number of the last one is kept in the database.
#pragma once

#include "server/db.h"

void Migrate(DbConnection& db);
