// The eight segment blocks of the timeline, in the order the director tests them.
#pragma once

void RunOpening();
void RunEchoAndCredits();
void RunCompeAndFigure();
void RunFigureBurst();
void RunFlareSwarm();
void RunRoki();
void RunKingAndCubeSwarm();
void RunAlienFinale();
