#pragma once
// Registers every gauge class and its settings objects for form resources; later calls
// do nothing.
void RegisterGaugeClasses();
